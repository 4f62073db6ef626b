#pragma once
// The error types of the system. Errors travel as exceptions; only the general error
// handler and the screens speak to the user.
#include <QString>
#include <stdexcept>

class EZorpError : public std::runtime_error {
public:
    explicit EZorpError(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) { }
    const QString& Message() const { return m_message; }

private:
    QString m_message;
};

// An error reported by the database engine; the text is the engine's own.
class EDatabaseError : public EZorpError {
public:
    EDatabaseError(const QString& message, int code = 0) : EZorpError(message), m_code(code) { }
    int Code() const { return m_code; }

private:
    int m_code;
};

// A value that cannot be turned into the type asked for (typed text, a stored setting).
class EConvertError : public EZorpError {
    using EZorpError::EZorpError;
};

// A sum or value outside the range its type can hold.
class EOverflowError : public EConvertError {
    using EConvertError::EConvertError;
};

// Misuse of a dataset: a field that does not exist, an edit on a closed set, a bad filter.
class EDatasetError : public EZorpError {
    using EZorpError::EZorpError;
};

// A check the program raises itself with a fixed message, such as "No data".
class EAbortMessage : public EZorpError {
    using EZorpError::EZorpError;
};
