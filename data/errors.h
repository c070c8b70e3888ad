#pragma once

#include <stdexcept>
#include <string>

namespace talvesa {

// Every failure the user can see carries its final message (without the error box's full stop).
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Table operations; the message already carries the "dxMemData1: " prefix where due.
class DatasetError : public Error {
public:
    using Error::Error;
};

// Text that does not read as a value, and out-of-range conversions.
class ConvertError : public Error {
public:
    using Error::Error;
};

// "Invalid floating point operation".
class MathError : public Error {
public:
    MathError();
};

// Files that cannot be opened, created or written.
class FileError : public Error {
public:
    using Error::Error;
};

}  // namespace talvesa
