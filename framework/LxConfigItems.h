#pragma once
// Typed settings bound to program variables by address: each loads the stored value into its
// variable (the variable's current value being the default) and saves the variable back.

#include "LxConfigFiles.h"

#include <cstdint>
#include <memory>
#include <vector>

class TLxBaseConfigItem {
public:
    explicit TLxBaseConfigItem(QString name) : Name(std::move(name)) {}
    virtual ~TLxBaseConfigItem() = default;

    QString Name;

    // True when the section has an entry Name, even with an empty value.
    virtual bool Exists(ILxConfigSectionPtr& section);
    virtual void LoadFrom(ILxConfigSectionPtr& section) = 0;
    virtual void SaveTo(ILxConfigSectionPtr& section) = 0;
};

// A whole number; a stored value outside minValue..maxValue loads as the nearer limit, so a
// hand-edited file cannot give the program a value its own setters would refuse.
class TLXIntConfig : public TLxBaseConfigItem {
public:
    TLXIntConfig(const QString& name, qint32* value, qint32 minValue = INT32_MIN,
                 qint32 maxValue = INT32_MAX)
        : TLxBaseConfigItem(name), FValue(value), FMinValue(minValue), FMaxValue(maxValue) {}
    void LoadFrom(ILxConfigSectionPtr& section) override;
    void SaveTo(ILxConfigSectionPtr& section) override;

private:
    qint32* FValue;
    qint32 FMinValue;
    qint32 FMaxValue;
};

class TLxStringConfig : public TLxBaseConfigItem {
public:
    TLxStringConfig(const QString& name, QString* value) : TLxBaseConfigItem(name), FValue(value) {}
    void LoadFrom(ILxConfigSectionPtr& section) override;
    void SaveTo(ILxConfigSectionPtr& section) override;

private:
    QString* FValue;
};

class TLXBoolConfig : public TLxBaseConfigItem {
public:
    TLXBoolConfig(const QString& name, bool* value) : TLxBaseConfigItem(name), FValue(value) {}
    void LoadFrom(ILxConfigSectionPtr& section) override;
    void SaveTo(ILxConfigSectionPtr& section) override;

private:
    bool* FValue;
};

// A byte buffer of fixed Size, stored as two upper-case hexadecimal digits per byte; a stored
// text of the wrong length or with a non-hexadecimal digit leaves the buffer as it was.
class TLXBinaryConfig : public TLxBaseConfigItem {
public:
    TLXBinaryConfig(const QString& name, void* buffer, qint32 size)
        : TLxBaseConfigItem(name), FBuffer(buffer), Size(size) {}
    void LoadFrom(ILxConfigSectionPtr& section) override;
    void SaveTo(ILxConfigSectionPtr& section) override;

private:
    void* FBuffer;

public:
    const qint32 Size;
};

// The ordered list of registered settings; it owns them. Registration order is the order of
// loading and saving.
class TLxConfigItems {
public:
    int Add(std::unique_ptr<TLxBaseConfigItem> item);
    int Count() const { return int(FItems.size()); }
    TLxBaseConfigItem& operator[](int index) const { return *FItems.at(size_t(index)); }
    // Loads every item that exists in the section, in order.
    void LoadAll(ILxConfigSectionPtr& section);
    // Saves every item, in order.
    void SaveAll(ILxConfigSectionPtr& section);

private:
    std::vector<std::unique_ptr<TLxBaseConfigItem>> FItems;
};

std::unique_ptr<TLxBaseConfigItem> MakeIntConfig(const QString& name, qint32* value);
// A whole number held to minValue..maxValue when loaded (minValue not above maxValue).
std::unique_ptr<TLxBaseConfigItem> MakeIntConfig(const QString& name, qint32* value,
                                                 qint32 minValue, qint32 maxValue);
std::unique_ptr<TLxBaseConfigItem> MakeStringConfig(const QString& name, QString* value);
std::unique_ptr<TLxBaseConfigItem> MakeBoolConfig(const QString& name, bool* value);
std::unique_ptr<TLxBaseConfigItem> MakeBinaryConfig(const QString& name, void* buffer, qint32 size);
