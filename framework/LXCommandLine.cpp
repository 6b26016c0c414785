#include "LXCommandLine.h"

#include "LocaleText.h"
#include "ProgramFile.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
// "-name" or "/name"; a parameter beginning with "/" that names an existing file or folder is an
// absolute path given to the program, not an option.
bool IsOption(const QString& parameter) {
    if (parameter.isEmpty())
        return false;
    if (parameter.front() == QLatin1Char('-'))
        return true;
    return parameter.front() == QLatin1Char('/') && !QFileInfo::exists(parameter);
}

// The text after the prefix; "--name" is taken like "-name", as Linux programs are used to.
QString WithoutPrefix(const QString& parameter) {
    return parameter.startsWith(QLatin1String("--")) ? parameter.mid(2) : parameter.mid(1);
}

// The argument for an option from the parameter after it, if that one is not an option itself.
bool TakeNextArg(const QStringList& parameters, qsizetype& i, QString& value) {
    if (i + 1 >= parameters.size() || IsOption(parameters[i + 1]))
        return false;
    value = parameters[++i];
    return true;
}
} // namespace

void TLXCommandLine::AddOption(const QString& name, const QString& shortName, TLXArgKind argKind,
                               const QString& description) {
    auto option = std::make_unique<TLXCmdLineOption>();
    option->Name = name;
    option->ShortName = shortName;
    option->ArgKind = argKind;
    option->Description = description;
    Options.push_back(std::move(option));
}

void TLXCommandLine::Parse() {
    QStringList parameters = QCoreApplication::arguments();
    if (!parameters.isEmpty())
        parameters.removeFirst();
    Parse(parameters);
}

void TLXCommandLine::Parse(const QStringList& parameters) {
    Args.append(ProgramFilePath());
    qsizetype i = 0;
    for (; i < parameters.size(); ++i) {
        const QString& s = parameters[i];
        if (!IsOption(s))
            break;
        if (s == QLatin1String("--")) {
            ++i;
            break;
        }
        const QString body = WithoutPrefix(s);
        const qsizetype colon = body.indexOf(QLatin1Char(':'));
        const bool isInline = colon >= 0;
        const QString name = isInline ? body.left(colon) : body;
        QString value = isInline ? body.mid(colon + 1) : QString();
        const TLXCmdLineOption* option = FindOption(name);
        if (!option) {
            Record(name, QStringLiteral(" "));
            continue;
        }
        if (option->ArgKind == akNone)
            value.clear();
        else if (!isInline && !TakeNextArg(parameters, i, value) && option->ArgKind == akRequired)
            throw ELXBadOption(QStringLiteral("Argument missing for option: ") + name);
        Record(option->Name, value.isEmpty() ? QStringLiteral(" ") : value);
    }
    Args.append(parameters.mid(i));
}

TLXCmdLineOption* TLXCommandLine::FindOption(const QString& name) const {
    for (const auto& option : Options)
        if (AnsiSameText(option->Name, name) || AnsiSameText(option->ShortName, name))
            return option.get();
    return nullptr;
}

bool TLXCommandLine::HasOption(const QString& name) const {
    return IndexOfValue(name) >= 0;
}

QString TLXCommandLine::Value(const QString& name) const {
    const qsizetype index = IndexOfValue(name);
    return index < 0 ? QString() : Values[index].mid(Values[index].indexOf(QLatin1Char('=')) + 1);
}

void TLXCommandLine::Record(const QString& name, const QString& value) {
    const qsizetype index = IndexOfValue(name);
    const QString entry = name + QLatin1Char('=') + value;
    if (index < 0)
        Values.append(entry);
    else
        Values[index] = Values[index].left(Values[index].indexOf(QLatin1Char('=')) + 1) + value;
}

qsizetype TLXCommandLine::IndexOfValue(const QString& name) const {
    for (qsizetype i = 0; i < Values.size(); ++i)
        if (AnsiSameText(Values[i].left(Values[i].indexOf(QLatin1Char('='))), name))
            return i;
    return -1;
}
