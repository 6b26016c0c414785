#include "Picture.h"

#include "FileFormats.h"
#include "ProgramFile.h"

TPicture::TPicture(QObject* parent) : QObject(parent) {}

TPicture::~TPicture() = default;

void TPicture::LoadFromFile(const QString& fileName) {
    const QString extension = ExtractFileExt(fileName).mid(1);
    const TGraphicClass graphicClass = FileFormats().FindExt(extension);
    if (!graphicClass)
        throw EInvalidGraphic(
            QStringLiteral("Unknown picture file extension (.%1)").arg(extension));
    std::unique_ptr<TGraphic> graphic = NewGraphic(graphicClass);
    graphic->LoadFromFile(fileName);
    Replace(std::move(graphic));
}

void TPicture::Assign(TGraphic* source) {
    if (!source) {
        Replace(nullptr);
        return;
    }
    std::unique_ptr<TGraphic> graphic = NewGraphic(source->metaObject());
    graphic->Assign(*source);
    Replace(std::move(graphic));
}

std::unique_ptr<TGraphic> TPicture::NewGraphic(TGraphicClass graphicClass) {
    std::unique_ptr<TGraphic> graphic(qobject_cast<TGraphic*>(graphicClass->newInstance()));
    LX_ASSERT_MSG(
        graphic,
        QStringLiteral("%1 cannot be created").arg(QString::fromLatin1(graphicClass->className())));
    connect(graphic.get(), &TGraphic::Progress, this, &TPicture::Progress);
    return graphic;
}

void TPicture::Replace(std::unique_ptr<TGraphic> graphic) {
    FGraphic = std::move(graphic);
    if (FGraphic)
        connect(FGraphic.get(), &TGraphic::Changed, this, &TPicture::Changed);
    emit Changed();
}
