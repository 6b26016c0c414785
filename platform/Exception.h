#pragma once
// The standard exception class of the system: a message and a class name. Every error the
// program reports is one of these; the class name appears in the last-chance report.

#include <QString>
#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(QString message) : FMessage(std::move(message)), FUtf8(FMessage.toUtf8()) {}

    // The message shown to the user.
    const QString& Message() const { return FMessage; }
    // The class name as the code names it ("EConvertError", ...).
    virtual QString ClassName() const { return QStringLiteral("Exception"); }
    const char* what() const noexcept override { return FUtf8.constData(); }

private:
    QString FMessage;
    QByteArray FUtf8;
};

// Declares an exception class that only adds its own class name.
#define LX_DECLARE_EXCEPTION(Name, Base)                                                           \
    class Name : public Base {                                                                     \
    public:                                                                                        \
        using Base::Base;                                                                          \
        QString ClassName() const override { return QStringLiteral(#Name); }                       \
    };

LX_DECLARE_EXCEPTION(EConvertError, Exception)
LX_DECLARE_EXCEPTION(EStreamError, Exception)
LX_DECLARE_EXCEPTION(EReadError, EStreamError)
LX_DECLARE_EXCEPTION(EWriteError, EStreamError)
LX_DECLARE_EXCEPTION(EFOpenError, EStreamError)
LX_DECLARE_EXCEPTION(EFCreateError, EStreamError)
LX_DECLARE_EXCEPTION(EAssertionFailed, Exception)

// Throws EAssertionFailed naming the unit (the source file's base name) and the line:
// "Assertion failure (LxConfigFiles, line 120)", or the given text in place of
// "Assertion failure".
[[noreturn]] void RaiseAssertion(const QString& text, const char* file, int line);

#define LX_ASSERT(condition)                                                                       \
    do {                                                                                           \
        if (!(condition))                                                                          \
            RaiseAssertion(QStringLiteral("Assertion failure"), __FILE__, __LINE__);               \
    } while (false)

#define LX_ASSERT_MSG(condition, text)                                                             \
    do {                                                                                           \
        if (!(condition))                                                                          \
            RaiseAssertion(text, __FILE__, __LINE__);                                              \
    } while (false)
