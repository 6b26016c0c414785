#pragma once
// The link label: a label that opens its target (a web address, a mail address, a file) when the
// left mouse button goes down on it. Underlined, in the link colour, with the hand pointer; its
// text is shown as it is, "&" included.

#include <QColor>
#include <QLabel>

class QMouseEvent;

class TLxLinkLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString LinkTo READ LinkTo WRITE SetLinkTo)
    Q_PROPERTY(QColor LinkColor READ LinkColor WRITE SetLinkColor)
public:
    // An underlined label in blue with the hand pointer and no target.
    explicit TLxLinkLabel(QWidget* parent = nullptr);

    // The target the desktop is asked to open ("mailto:...", "https://...", "www.example.com",
    // a path); empty by default.
    QString LinkTo() const { return FLinkTo; }
    void SetLinkTo(const QString& target) { FLinkTo = target; }
    // The colour of the link, which is also the colour of the text.
    QColor LinkColor() const { return FLinkColor; }
    void SetLinkColor(const QColor& color);

protected:
    // The left button opens the target and goes no further: neither the label nor its parents
    // see the press. A target that is empty or that nothing opens gives no message. Other
    // buttons pass on to the parent as on any label.
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString FLinkTo;
    QColor FLinkColor;
};
