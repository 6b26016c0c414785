#pragma once
// The framework's command-line parser: an application declares the options it knows, the parser
// walks the process's parameters once, records every option met (declared or not) with its value,
// and collects the remaining parameters as positional arguments.

#include "Exception.h"

#include <QStringList>
#include <memory>
#include <vector>

LX_DECLARE_EXCEPTION(ELXApplication, Exception)
LX_DECLARE_EXCEPTION(ELXBadOption, ELXApplication)

enum TLXArgKind : quint8 { akNone = 0, akOptional = 1, akRequired = 2 };

struct TLXCmdLineOption {
    QString Name;
    QString Description;
    QString ShortName;
    TLXArgKind ArgKind = akNone;
};

class TLXCommandLine {
public:
    std::vector<std::unique_ptr<TLXCmdLineOption>> Options;
    // One "name=value" text per option met; a value is never empty (" " when none was given).
    QStringList Values;
    // The executable's full path, then the positional parameters in order.
    QStringList Args;

    // Declares an option.
    void AddOption(const QString& name, const QString& shortName, TLXArgKind argKind,
                   const QString& description = QString());
    // Parses the process's parameters (parameter 0, the program, excluded).
    void Parse();
    // Parses the given parameters; the executable path is taken from the program file. Raises
    // ELXBadOption "Argument missing for option: NAME" when a required argument is missing.
    void Parse(const QStringList& parameters);
    // The first declared option whose Name or ShortName equals name, ignoring case; or null.
    TLXCmdLineOption* FindOption(const QString& name) const;
    // True when an option of that name was met (case ignored).
    bool HasOption(const QString& name) const;
    // The recorded value of the option, or an empty text when it was not met.
    QString Value(const QString& name) const;

private:
    void Record(const QString& name, const QString& value);
    qsizetype IndexOfValue(const QString& name) const;
};
