#include "capture/app/menu_table.h"

#include "capture/timing/command_states.h"
#include "common/sjis.h"

const std::vector<MenuRow>& captureMenuRows() {
    static const std::vector<MenuRow> rows = {
        {MENU_POPUP, 0, "ファイル(&F)"},
        {MENU_ITEM, COMMAND_NEW, "新規GPS登録\tCtrl-N"},
        {MENU_SEPARATOR, 0, ""},
        {MENU_ITEM, COMMAND_OPEN, "ファイルを開く...\tCtrl-O"},
        {MENU_ITEM, COMMAND_SAVE, "保存...\tCtrl-S"},
        {MENU_ITEM, COMMAND_SAVE_AS, "別名で保存..."},
        {MENU_SEPARATOR, 0, ""},
        {MENU_ITEM, COMMAND_EXIT, "アプリケーションの終了(&X)"},
        {MENU_END, 0, ""},
        {MENU_POPUP, 0, "編集(E)"},
        {MENU_ITEM, COMMAND_START, "計測開始\tCtrl-P"},
        {MENU_ITEM, COMMAND_STOP, "計測停止"},
        {MENU_SEPARATOR, 0, ""},
        {MENU_ITEM, COMMAND_ADD_POINT, "ポイントの追加\tSPACE"},
        {MENU_ITEM, COMMAND_DELETE_POINT, "ポイントの削除\tDEL"},
        {MENU_ITEM, COMMAND_SWAP_POINTS, "ポイント1/2を入れ替える"},
        {MENU_SEPARATOR, 0, ""},
        {MENU_POPUP, 0, "コースタイプの変更"},
        {MENU_ITEM, COMMAND_LOOP_COURSE, "ループコース\tCtrl-1"},
        {MENU_ITEM, COMMAND_OPEN_COURSE, "オープンコース\tCtrl-2"},
        {MENU_ITEM, COMMAND_OPEN_RETURN_COURSE, "オープン往復コース\tCtrl-3"},
        {MENU_END, 0, ""},
        {MENU_END, 0, ""},
        {MENU_POPUP, 0, "オプション(O)"},
        {MENU_ITEM, COMMAND_GPS_PORT, "GPSポートの設定..."},
        {MENU_ITEM, COMMAND_BEACON_PORT, "MoTeC Beconポートの設定..."},
        {MENU_ITEM, COMMAND_GPS_SETTINGS, "GPSの設定..."},
        {MENU_SEPARATOR, 0, ""},
        {MENU_ITEM, COMMAND_MOTEC_LAP_SYNC, "MoTeC Becon Lapへ同期"},
        {MENU_ITEM, COMMAND_MOTEC_ON_POINT_REGISTER, "ポイント登録と同時にMoTecを制御"},
        {MENU_SEPARATOR, 0, ""},
        {MENU_ITEM, COMMAND_SOUND_GUIDANCE, "サウンドガイダンス"},
        {MENU_ITEM, COMMAND_AUTO_START, "起動と同時に計測を開始"},
        {MENU_ITEM, COMMAND_FLASH_ON_PASS, "ポイント通過時フラッシュ"},
        {MENU_ITEM, COMMAND_FLASH_COLOUR, "フラッシュカラーの選択..."},
        {MENU_SEPARATOR, 0, ""},
        {MENU_ITEM, COMMAND_INTERPOLATE_PASS_TIME, "通過時刻を補間する（1/100秒計時）"},
        {MENU_END, 0, ""},
        {MENU_POPUP, 0, "ヘルプ(&H)"},
        {MENU_ITEM, COMMAND_ABOUT, "バージョン情報 ...(&A)"},
        {MENU_END, 0, ""},
    };
    return rows;
}

const std::vector<AcceleratorRow>& captureAccelerators() {
    // Alt+/ and Alt+? are character keys: '?' is Shift+'/' on most layouts,
    // so both sequences are bound.
    static const std::vector<AcceleratorRow> rows = {
        {COMMAND_NEW, "Ctrl+N"},          {COMMAND_SAVE, "Ctrl+S"},
        {COMMAND_START, "Ctrl+P"},        {COMMAND_ADD_POINT, "Space"},
        {COMMAND_LOOP_COURSE, "Ctrl+1"},  {COMMAND_OPEN_COURSE, "Ctrl+2"},
        {COMMAND_OPEN_RETURN_COURSE, "Ctrl+3"},
        {COMMAND_ABOUT, "Alt+/"},         {COMMAND_ABOUT, "Alt+?"},
    };
    return rows;
}

std::string windowTitleText(std::string_view sjisName, int courseType) {
    if (sjisName.empty()) return "Velmora";
    const std::string name = sjisToUtf8(sjisName);
    switch (courseType) {
    case 0: return "Velmora (ループ：" + name + ")";
    case 1: return "Velmora (オープン：" + name + ")";
    case 2: return "Velmora (オープン往復：" + name + ")";
    default: return "Velmora";  // another type value: the name alone cannot say which
    }
}
