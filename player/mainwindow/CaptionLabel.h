#pragma once
// A label that keeps its caption as given ("&Play" stays "&Play" for the code that compares it),
// shows the access-key ampersand as an underline, and works as a text button: Click on a left
// release inside it while enabled.

#include <QLabel>
#include <QString>

class CaptionLabel : public QLabel {
    Q_OBJECT

  public:
    explicit CaptionLabel(const QString& caption, QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    quint32 BackColor() const { return backColor_; }
    void SetBackColor(quint32 oleColor);
    quint32 ForeColor() const { return foreColor_; }
    void SetForeColor(quint32 oleColor);

  signals:
    void Click();
    void CaptionChanged();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QString caption_;
    quint32 backColor_;
    quint32 foreColor_;
    bool pressed_ = false;
};
