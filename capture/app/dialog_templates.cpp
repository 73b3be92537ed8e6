// The dialog templates of the capture program, in dialog units.
#include "capture/app/dialog_layout.h"

#include <iterator>

PixelRect dluToPixels(const DluRect& r, int avgCharWidth, int charHeight) {
    return {r.x * avgCharWidth / 4, r.y * charHeight / 8, r.width * avgCharWidth / 4,
            r.height * charHeight / 8};
}

namespace {

using K = ControlKind;

// Labels sit 2 units below the top of the box beside them, so their text
// lines up with the text inside the box.
constexpr DialogControl GPS_PORT_CONTROLS[] = {
    {CONTROL_STATIC, K::LABEL, "ポート：", {7, 9, 48, 9}},
    {1025, K::COMBO, "", {58, 7, 121, 12}},
    {CONTROL_STATIC, K::LABEL, "スピード：", {7, 25, 48, 9}},
    {1022, K::COMBO, "", {58, 23, 60, 12}},
    {1028, K::CHECK_BOX, "GPS-4711qx", {124, 24, 56, 11}},
    {CONTROL_STATIC, K::LABEL, "ビット数：", {7, 41, 48, 9}},
    {1023, K::COMBO, "", {58, 39, 60, 12}},
    {CONTROL_STATIC, K::LABEL, "ストップ：", {7, 57, 48, 9}},
    {1015, K::COMBO, "", {58, 55, 60, 12}},
    {CONTROL_STATIC, K::LABEL, "パリティ：", {7, 73, 48, 9}},
    {1024, K::COMBO, "", {58, 71, 60, 12}},
    {CONTROL_STATIC, K::LABEL, "測位系：", {7, 89, 48, 9}},
    {1026, K::COMBO, "", {58, 87, 60, 12}},
    {CONTROL_OK, K::DEFAULT_BUTTON, "OK", {74, 105, 50, 14}},
    {CONTROL_CANCEL, K::BUTTON, "キャンセル", {129, 105, 50, 14}},
};

constexpr DialogControl BEACON_PORT_CONTROLS[] = {
    {CONTROL_STATIC, K::LABEL, "ポート：", {7, 9, 40, 9}},
    {1025, K::COMBO, "", {50, 7, 129, 12}},
    {CONTROL_OK, K::DEFAULT_BUTTON, "OK", {74, 27, 50, 14}},
    {CONTROL_CANCEL, K::BUTTON, "キャンセル", {129, 27, 50, 14}},
};

constexpr DialogControl GPS_SETTINGS_CONTROLS[] = {
    {CONTROL_STATIC, K::LABEL, "ポイントオフセット(m)：", {7, 9, 116, 9}},
    {1018, K::EDIT, "", {126, 7, 60, 12}},
    {CONTROL_STATIC, K::LABEL, "サンプリング時間(ms)：※", {7, 25, 116, 9}},
    {1019, K::EDIT, "", {126, 23, 60, 12}},
    {CONTROL_STATIC, K::LABEL, "最大計測時間(秒）：※", {7, 41, 116, 9}},
    {1020, K::EDIT, "", {126, 39, 60, 12}},
    {CONTROL_STATIC, K::LABEL, "※再起動後有効", {7, 59, 116, 9}},
    {CONTROL_OK, K::DEFAULT_BUTTON, "OK", {193, 7, 50, 14}},
    {CONTROL_CANCEL, K::BUTTON, "キャンセル", {193, 24, 50, 14}},
};

constexpr DialogControl COURSE_NAME_CONTROLS[] = {
    {CONTROL_STATIC, K::LABEL, "コース名：", {7, 9, 52, 9}},
    {1018, K::EDIT, "", {62, 7, 162, 12}},
    {CONTROL_STATIC, K::LABEL, "コースタイプ：", {7, 30, 52, 9}},
    {1019, K::RADIO, "ループ", {62, 29, 44, 11}},
    {1020, K::RADIO, "オープン", {108, 29, 50, 11}},
    {1021, K::RADIO, "オープン往復", {160, 29, 64, 11}},
    {CONTROL_OK, K::DEFAULT_BUTTON, "OK", {232, 7, 50, 14}},
    {CONTROL_CANCEL, K::BUTTON, "キャンセル", {232, 24, 50, 14}},
};

constexpr DialogControl ABOUT_CONTROLS[] = {
    {CONTROL_STATIC, K::LABEL, "Velmora Version 1.11", {10, 10, 130, 9}},
    {CONTROL_STATIC, K::LABEL, "GPSラップタイム計測", {10, 24, 130, 9}},
    {CONTROL_OK, K::DEFAULT_BUTTON, "OK", {153, 7, 50, 14}},
};

template <size_t N>
constexpr DialogTemplate makeTemplate(int id, const char* caption, int w, int h,
                                      const DialogControl (&controls)[N]) {
    return {id, caption, w, h, controls, N};
}

}  // namespace

const DialogTemplate& gpsPortDialogTemplate() {
    static constexpr DialogTemplate t = makeTemplate(134, "GPSポートの設定", 186, 126, GPS_PORT_CONTROLS);
    return t;
}
const DialogTemplate& beaconPortDialogTemplate() {
    static constexpr DialogTemplate t =
        makeTemplate(135, "MoTeCビーコンポートの設定", 186, 48, BEACON_PORT_CONTROLS);
    return t;
}
const DialogTemplate& gpsSettingsDialogTemplate() {
    static constexpr DialogTemplate t = makeTemplate(136, "GPSの設定", 250, 76, GPS_SETTINGS_CONTROLS);
    return t;
}
const DialogTemplate& courseNameDialogTemplate() {
    static constexpr DialogTemplate t = makeTemplate(133, "コース名の設定", 289, 54, COURSE_NAME_CONTROLS);
    return t;
}
const DialogTemplate& aboutBoxTemplate() {
    static constexpr DialogTemplate t = makeTemplate(103, "バージョン情報", 210, 44, ABOUT_CONTROLS);
    return t;
}
