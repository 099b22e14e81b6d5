#include "CaptionLabel.h"

#include <QMouseEvent>

#include "OleColor.h"

namespace {

// "&Play" -> "<u>P</u>lay"; "&&" is a literal ampersand.
QString RichCaption(const QString& caption) {
    QString out;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        QChar c = caption[i];
        if (c == u'&' && i + 1 < caption.size()) {
            QChar next = caption[++i];
            out += next == u'&'
                       ? QStringLiteral("&amp;")
                       : QStringLiteral("<u>") + QString(next).toHtmlEscaped() + QStringLiteral("</u>");
        } else {
            out += QString(c).toHtmlEscaped();
        }
    }
    return out;
}

}  // namespace

CaptionLabel::CaptionLabel(const QString& caption, QWidget* parent)
    : QLabel(parent), backColor_(OleColor::kButtonFace), foreColor_(OleColor::kButtonText) {
    setTextFormat(Qt::RichText);
    SetCaption(caption);
}

void CaptionLabel::SetCaption(const QString& caption) {
    const bool changed = caption != caption_;
    caption_ = caption;
    setText(RichCaption(caption));
    if (changed) emit CaptionChanged();
}

void CaptionLabel::SetBackColor(quint32 oleColor) {
    backColor_ = oleColor;
    QPalette p = palette();
    p.setColor(QPalette::Window, OleColor::ToQColor(oleColor));
    setPalette(p);
    setAutoFillBackground(true);
}

void CaptionLabel::SetForeColor(quint32 oleColor) {
    foreColor_ = oleColor;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, OleColor::ToQColor(oleColor));
    setPalette(p);
}

void CaptionLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void CaptionLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && pressed_) {
        pressed_ = false;
        event->accept();
        if (isEnabled() && rect().contains(event->position().toPoint())) emit Click();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}
