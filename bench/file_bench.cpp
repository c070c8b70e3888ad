// Saves and loads a large payment list and prints the time and the memory each takes.
// usage: file_bench [PAYMENTS [FILE]]   (1000000 payments in the temporary folder by default)

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "date_value.h"
#include "format_settings.h"
#include "mem_data.h"

namespace {

long StatusKiB(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(in, line)) {
        if (line.rfind(prefix, 0) == 0) return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
    }
    return -1;
}

// Resets the peak resident size the kernel reports, so that each phase is measured alone.
bool ResetPeak() {
    std::ofstream out("/proc/self/clear_refs");
    out << "5";
    out.flush();
    return static_cast<bool>(out);
}

long PeakKiB() {
    const long hwm = StatusKiB("VmHWM");
    if (hwm >= 0) return hwm;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double MiB(double kib) { return kib / 1024.0; }

const std::vector<std::string> kWords = {
    "Оплата", "аренды", "офиса", "за", "март", "Канцелярские", "товары", "Поставка",
    "оборудования", "по", "счёту", "№", "Возврат", "предоплаты", "Услуги", "связи",
    "Электроэнергия", "Ремонт", "автомобиля", "Командировка", "в", "Казань", "ООО",
    "«Ромашка»", "Налог", "на", "прибыль", "Зарплата", "аванс", "премия"};

void Fill(talvesa::TdxCustomMemData& table, int count) {
    std::mt19937 rng(20240307);
    std::uniform_int_distribution<std::size_t> word(0, kWords.size() - 1);
    std::uniform_int_distribution<int> words(1, 5);
    std::uniform_int_distribution<int> day(static_cast<int>(*talvesa::EncodeDate(2015, 1, 1)),
                                           static_cast<int>(*talvesa::EncodeDate(2026, 12, 31)));
    std::uniform_int_distribution<long long> cents(-1000000, 100000000);
    talvesa::TField& name = table.FieldNamed("Name");
    talvesa::TField& date = table.FieldNamed("Date");
    talvesa::TField& pay = table.FieldNamed("Pay");
    std::string text;
    for (int i = 0; i < count; ++i) {
        text.clear();
        for (int n = words(rng); n > 0; --n) {
            if (!text.empty()) text += ' ';
            text += kWords[word(rng)];
        }
        table.Append();
        name.SetValueAsText(text);
        date.SetValueAsDate(day(rng));
        pay.SetValueAsReal(static_cast<double>(cents(rng)) / 100.0);
        table.Post();
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const std::string path =
        argc > 2 ? argv[2]
                 : (std::filesystem::temp_directory_path() / "talvesa-file-bench.txt").string();
    const talvesa::FormatSettings settings = talvesa::FormatSettings::russian();
    const bool canReset = ResetPeak();

    std::printf("payments:            %d\n", count);
    const long startKiB = StatusKiB("VmRSS");

    auto table = talvesa::MakePaymentTable();
    auto t = std::chrono::steady_clock::now();
    Fill(*table, count);
    std::printf("building the table:  %.2f s\n", Seconds(t));
    const long tableKiB = StatusKiB("VmRSS") - startKiB;

    ResetPeak();
    const long beforeSaveKiB = StatusKiB("VmRSS");
    t = std::chrono::steady_clock::now();
    table->SaveToDelimitedFile(path, settings);
    const double saveSeconds = Seconds(t);
    const long saveExtraKiB = PeakKiB() - beforeSaveKiB;

    const double fileKiB = static_cast<double>(std::filesystem::file_size(path)) / 1024.0;
    std::printf("file size:           %.1f MiB\n", MiB(fileKiB));
    std::printf("table in memory:     %.1f MiB (%.2f x file)\n", MiB(tableKiB), tableKiB / fileKiB);
    std::printf("save:                %.2f s, peak above the table %.1f MiB (%.2f x file)\n",
                saveSeconds, MiB(saveExtraKiB), saveExtraKiB / fileKiB);

    table.reset();
    auto loaded = talvesa::MakePaymentTable();
    ResetPeak();
    const long beforeLoadKiB = StatusKiB("VmRSS");
    t = std::chrono::steady_clock::now();
    loaded->LoadFromDelimitedFile(path, settings, 2026);
    const double loadSeconds = Seconds(t);
    const long loadPeakKiB = PeakKiB() - beforeLoadKiB;
    const long loadedKiB = StatusKiB("VmRSS") - beforeLoadKiB;
    std::printf("load:                %.2f s, peak %.1f MiB (%.2f x file), table after %.1f MiB"
                " (%.2f x file)\n",
                loadSeconds, MiB(loadPeakKiB), loadPeakKiB / fileKiB, MiB(loadedKiB),
                loadedKiB / fileKiB);
    std::printf("records loaded:      %d\n", loaded->RecordTotal());
    std::printf("peak resident size of the process: %.1f MiB%s\n", MiB(PeakKiB()),
                canReset ? "" : " (peaks not reset per phase: no /proc/self/clear_refs)");

    std::filesystem::remove(path);
    return loaded->RecordTotal() == count ? 0 : 1;
}
