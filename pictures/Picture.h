#pragma once
// TPicture: a container of zero or one graphic (owned). It loads a file through the format
// registry by the file's extension and forwards its graphic's change and progress notices.

#include "Graphics.h"

#include <QObject>
#include <memory>

class TPicture : public QObject {
    Q_OBJECT
public:
    explicit TPicture(QObject* parent = nullptr);
    ~TPicture() override;

    // The graphic held, or null.
    TGraphic* Graphic() const { return FGraphic.get(); }
    // The graphic's size; 0 without one.
    int Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int Height() const { return FGraphic ? FGraphic->Height() : 0; }

    // Reads fileName with the class registered for its extension (case ignored, newest row
    // wins). An unregistered extension raises EInvalidGraphic "Unknown picture file extension
    // (.%s)" with the extension as written; a file that cannot be opened raises EFOpenError;
    // the class's own load errors pass through. On any failure the picture keeps its graphic.
    void LoadFromFile(const QString& fileName);
    // Replaces the graphic with a new one of source's class sharing or copying its image;
    // null clears the picture. The class's EConvertError passes through, picture unchanged.
    void Assign(TGraphic* source);
    // As above with the other picture's graphic.
    void Assign(const TPicture& source) { Assign(source.Graphic()); }

signals:
    void Changed();
    void Progress(int percent);

private:
    // Creates a graphic of the class, its progress notices forwarded.
    std::unique_ptr<TGraphic> NewGraphic(TGraphicClass graphicClass);
    void Replace(std::unique_ptr<TGraphic> graphic);
    std::unique_ptr<TGraphic> FGraphic;
};
