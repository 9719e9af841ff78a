#pragma once
// A failure with the classic error number that messages show the operator, and its
// Japanese description.
#include <QString>
#include <stdexcept>

enum class ErrNo : int {
    Overflow = 6,
    OutOfMemory = 7,
    OutOfRange = 9,
    OutOfStackSpace = 28,
    InternalError = 51,
    BadFileName = 52,
    FileNotFound = 53,
    DeviceIo = 57,
    DeviceUnavailable = 68,
    PermissionDenied = 70,
    PathFileAccess = 75,
    PathNotFound = 76,
    InvalidPicture = 481,
};

// The number as messages show it.
constexpr int errNum(ErrNo e) {
    return static_cast<int>(e);
}

class AppError : public std::runtime_error {
  public:
    explicit AppError(ErrNo number, QString description = {});
    int number() const { return number_; }
    const QString& description() const { return description_; }

    static QString describe(int number);

  private:
    int number_;
    QString description_;
};
