// The live status panel: dialog 130 as the frame's only child, every control
// at its dialog-unit place converted through the dialog font.
#pragma once

#include <map>
#include <string>

#include <QFont>
#include <QRect>
#include <QWidget>

class QLabel;
class QPushButton;

class StatusPanel : public QWidget {
    Q_OBJECT
public:
    explicit StatusPanel(QWidget* frame);

    // Whole-text replacement of one field (1001..1020); unknown ids are ignored.
    void setFieldText(int controlId, const QString& text);
    QString fieldText(int controlId) const;
    QPushButton* button(int controlId) const;
    QLabel* field(int controlId) const;

    // Dialog units to pixels through the dialog font's average character size.
    QRect toPixels(int x, int y, int w, int h) const;

    static QFont dialogFont();

signals:
    // 1011, 1014 or 1015 was clicked.
    void buttonClicked(int controlId);

private:
    void createControls();
    int avgW_ = 1;
    int avgH_ = 1;
    std::map<int, QLabel*> fields_;
    std::map<int, QPushButton*> buttons_;
};
