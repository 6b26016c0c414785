#include "LxConfigItems.h"

#include "LxConfigValues.h"

#include <algorithm>
#include <cstring>

bool TLxBaseConfigItem::Exists(ILxConfigSectionPtr& section) {
    return section->ValueExists(Name);
}

void TLXIntConfig::LoadFrom(ILxConfigSectionPtr& section) {
    *FValue = std::clamp(section->ReadInteger(Name, *FValue), FMinValue, FMaxValue);
}

void TLXIntConfig::SaveTo(ILxConfigSectionPtr& section) {
    section->WriteInteger(Name, *FValue);
}

void TLxStringConfig::LoadFrom(ILxConfigSectionPtr& section) {
    *FValue = section->ReadString(Name, *FValue);
}

void TLxStringConfig::SaveTo(ILxConfigSectionPtr& section) {
    section->WriteString(Name, *FValue);
}

void TLXBoolConfig::LoadFrom(ILxConfigSectionPtr& section) {
    *FValue = section->ReadBool(Name, *FValue);
}

void TLXBoolConfig::SaveTo(ILxConfigSectionPtr& section) {
    section->WriteBool(Name, *FValue);
}

void TLXBinaryConfig::LoadFrom(ILxConfigSectionPtr& section) {
    const QString text = section->ReadString(Name, QString());
    if (text.isEmpty())
        return;
    if (const auto bytes = DecodeBinaryValue(text, Size))
        std::memcpy(FBuffer, bytes->constData(), size_t(Size));
}

void TLXBinaryConfig::SaveTo(ILxConfigSectionPtr& section) {
    section->WriteString(Name,
                         EncodeBinaryValue(QByteArray(static_cast<const char*>(FBuffer), Size)));
}

int TLxConfigItems::Add(std::unique_ptr<TLxBaseConfigItem> item) {
    FItems.push_back(std::move(item));
    return Count() - 1;
}

void TLxConfigItems::LoadAll(ILxConfigSectionPtr& section) {
    for (const auto& item : FItems)
        if (item->Exists(section))
            item->LoadFrom(section);
}

void TLxConfigItems::SaveAll(ILxConfigSectionPtr& section) {
    for (const auto& item : FItems)
        item->SaveTo(section);
}

std::unique_ptr<TLxBaseConfigItem> MakeIntConfig(const QString& name, qint32* value) {
    return std::make_unique<TLXIntConfig>(name, value);
}

std::unique_ptr<TLxBaseConfigItem> MakeIntConfig(const QString& name, qint32* value,
                                                 qint32 minValue, qint32 maxValue) {
    return std::make_unique<TLXIntConfig>(name, value, minValue, maxValue);
}

std::unique_ptr<TLxBaseConfigItem> MakeStringConfig(const QString& name, QString* value) {
    return std::make_unique<TLxStringConfig>(name, value);
}

std::unique_ptr<TLxBaseConfigItem> MakeBoolConfig(const QString& name, bool* value) {
    return std::make_unique<TLXBoolConfig>(name, value);
}

std::unique_ptr<TLxBaseConfigItem> MakeBinaryConfig(const QString& name, void* buffer,
                                                    qint32 size) {
    return std::make_unique<TLXBinaryConfig>(name, buffer, size);
}
