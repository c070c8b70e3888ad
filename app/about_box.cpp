#include "about_box.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

QString AboutBox::secondText()
{
    return QStringLiteral("© 2026 Разработчики программы Тальвеса\r\nhttps://talvesa.example.org");
}

QString AboutBox::versionText()
{
    return QStringLiteral("Qt %1, %2").arg(QLatin1String(qVersion()), QSysInfo::prettyProductName());
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(QStringLiteral("О программе Тальвеса"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("aboutIcon"));
    icon->setPixmap(QIcon(QStringLiteral(":/talvesa/talvesa.svg")).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);

    auto* name = new QLabel(applicationText(), this);
    name->setObjectName(QStringLiteral("aboutName"));
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    auto* second = new QLabel(QString(secondText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), this);
    second->setObjectName(QStringLiteral("aboutSecond"));
    second->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* version = new QLabel(versionText(), this);
    version->setObjectName(QStringLiteral("aboutVersion"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(second);
    texts->addSpacing(6);
    texts->addWidget(line);
    texts->addWidget(version);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(10);
    top->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(14, 14, 14, 10);
    column->addLayout(top);
    column->addSpacing(8);
    column->addWidget(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(360, 0)));
}
