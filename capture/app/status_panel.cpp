#include "capture/app/status_panel.h"

#include <algorithm>

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "capture/gps/capture_sink.h"
#include "capture/timing/command_states.h"

namespace {

struct Box {
    const char* title;
    int x, y, w, h;
};
constexpr Box BOXES[] = {
    {"GPSステータス", 7, 7, 127, 104},
    {"ポイント１", 139, 7, 199, 51},
    {"ポイント２", 139, 59, 199, 51},
    {"Lap", 7, 113, 331, 23},
};

// A field with the label standing to its left on the same line.
struct Field {
    int id;
    const char* label;
    int labelX;
    const char* initial;
    int x, y, w, h;
};
constexpr Field FIELDS[] = {
    {PANEL_SATELLITES, "受信衛星数：", 16, "0", 75, 23, 52, 8},
    {PANEL_LATITUDE, "緯度：", 16, "0", 45, 34, 82, 8},
    {PANEL_LONGITUDE, "経度：", 16, "0", 45, 46, 82, 8},
    {PANEL_ALTITUDE, "高度：", 16, "0", 45, 58, 82, 8},
    {PANEL_TIME, "GPS時間：", 16, "00:00:00", 61, 70, 50, 8},
    {PANEL_STATUS, "ステータス：", 16, "-", 61, 83, 65, 8},
    {PANEL_MODE, "受信モード：", 16, "-", 62, 95, 65, 8},
    {PANEL_POINT1_LATITUDE, "緯度：", 147, "0", 177, 18, 82, 8},
    {PANEL_POINT1_LONGITUDE, "経度：", 147, "0", 177, 27, 82, 8},
    {PANEL_POINT1_ALTITUDE, "高度：", 147, "0", 177, 36, 82, 8},
    {PANEL_POINT1_DISTANCE, "距離：", 147, "0", 177, 45, 82, 8},
    {PANEL_POINT2_LATITUDE, "緯度：", 147, "0", 177, 70, 82, 8},
    {PANEL_POINT2_LONGITUDE, "経度：", 147, "0", 177, 79, 82, 8},
    {PANEL_POINT2_ALTITUDE, "高度：", 147, "0", 177, 88, 82, 8},
    {PANEL_POINT2_DISTANCE, "距離：", 147, "0", 177, 97, 82, 8},
    {PANEL_LAP_COUNT, "ラップ数：", 16, "0", 58, 123, 19, 8},
    {PANEL_LAP_TIME, "タイム：", 85, "-- : -- : -- : --", 123, 123, 64, 8},
};

struct Button {
    int id;
    const char* text;
    int x, y, w, h;
};
constexpr Button BUTTONS[] = {
    {PANEL_BUTTON_ADD_POINT, "ポイントの追加", 141, 142, 197, 14},
    {PANEL_BUTTON_START, "計測開始", 19, 143, 50, 14},
    {PANEL_BUTTON_STOP, "計測停止", 75, 143, 50, 14},
};

// A group frame drawn the way the panel was laid out for: the caption sits on
// the frame's top line, so the first row of fields (a few units below the
// box's top) lies inside the frame. Qt's own group box puts the caption above
// the frame and would push the frame's top line through that row.
class CaptionFrame : public QWidget {
public:
    CaptionFrame(const QString& caption, QWidget* parent) : QWidget(parent), caption_(caption) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QFontMetrics metrics(font());
        const int top = metrics.height() / 2;
        const QRect frame(0, top, width() - 2, height() - top - 2);
        // Etched: a dark line with a light one beside it.
        p.setPen(palette().color(QPalette::Light));
        p.drawRect(frame.translated(1, 1));
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(frame);
        const int captionX = metrics.averageCharWidth() * 3 / 2;
        const QRect captionBox(captionX - 2, 0, metrics.horizontalAdvance(caption_) + 4, metrics.height());
        p.fillRect(captionBox, palette().color(QPalette::Window));
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(captionX, metrics.ascent(), caption_);
    }

private:
    QString caption_;
};

}  // namespace

QFont StatusPanel::dialogFont() {
    // "MS Shell Dlg" 8 pt, with the Japanese fallbacks installed here.
    QFont font;
    font.setFamilies({"MS Shell Dlg", "MS Gothic", "ＭＳ ゴシック", "IPAGothic"});
    font.setPointSize(8);
    return font;
}

StatusPanel::StatusPanel(QWidget* frame) : QWidget(frame) {
    setFont(dialogFont());
    const QFontMetrics metrics(font());
    avgW_ = std::max(1, metrics.averageCharWidth());
    avgH_ = std::max(1, metrics.height());
    createControls();
    const QRect whole = toPixels(0, 0, 345, 266);
    resize(whole.size());
}

QRect StatusPanel::toPixels(int x, int y, int w, int h) const {
    return QRect(x * avgW_ / 4, y * avgH_ / 8, w * avgW_ / 4, h * avgH_ / 8);
}

void StatusPanel::createControls() {
    for (const Box& b : BOXES) {
        auto* box = new CaptionFrame(QString::fromUtf8(b.title), this);
        box->setGeometry(toPixels(b.x, b.y, b.w, b.h));
        box->lower();
    }
    for (const Field& f : FIELDS) {
        auto* label = new QLabel(QString::fromUtf8(f.label), this);
        label->setGeometry(toPixels(f.labelX, f.y, f.x - f.labelX, f.h));
        auto* field = new QLabel(QString::fromUtf8(f.initial), this);
        field->setGeometry(toPixels(f.x, f.y, f.w, f.h));
        fields_[f.id] = field;
    }
    for (const Button& b : BUTTONS) {
        auto* button = new QPushButton(QString::fromUtf8(b.text), this);
        button->setGeometry(toPixels(b.x, b.y, b.w, b.h));
        // The frame keeps the keyboard focus so that Space and the Ctrl keys
        // keep reaching the accelerators after a click.
        button->setFocusPolicy(Qt::NoFocus);
        button->setEnabled(b.id == PANEL_BUTTON_START);
        const int id = b.id;
        connect(button, &QPushButton::clicked, this, [this, id] { emit buttonClicked(id); });
        buttons_[b.id] = button;
    }
}

void StatusPanel::setFieldText(int controlId, const QString& text) {
    auto it = fields_.find(controlId);
    if (it != fields_.end()) it->second->setText(text);
}

QString StatusPanel::fieldText(int controlId) const {
    auto it = fields_.find(controlId);
    return it == fields_.end() ? QString() : it->second->text();
}

QPushButton* StatusPanel::button(int controlId) const {
    auto it = buttons_.find(controlId);
    return it == buttons_.end() ? nullptr : it->second;
}

QLabel* StatusPanel::field(int controlId) const {
    auto it = fields_.find(controlId);
    return it == fields_.end() ? nullptr : it->second;
}
