// Voice guidance: numbered voice files played asynchronously, one at a time.
#include <QCoreApplication>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

#include <chrono>
#include <thread>

#include "capture/app/capture_cues.h"
#include "capture/app/cue_rules.h"
#include "capture/app/voice_cues.h"
#include "capture/timing/capture_settings.h"
#include "platform/app_paths.h"

namespace {

// One player for every cue, so a new cue cuts off the one still playing.
// Parented to the application so it goes before the audio backend does.
QSoundEffect* player = nullptr;
std::string lastSource;

QSoundEffect* cuePlayer() {
    if (player == nullptr && QCoreApplication::instance() != nullptr) {
        player = new QSoundEffect(QCoreApplication::instance());
        QObject::connect(player, &QObject::destroyed, [] { player = nullptr; });
    }
    return player;
}

}  // namespace

std::string lastCueSourceForTests() { return lastSource; }

void playCue(int cue) {
    const auto path = cueFilePath(cue, captureSettings.soundGuidance != 0, platform::dataDirectory());
    if (!path) return;
    QSoundEffect* effect = cuePlayer();
    if (effect == nullptr) return;
    effect->stop();
    lastSource = *path;
    // A missing file is silent; without an audio device the effect reports
    // an error status and plays nothing, which is just as silent.
    if (!QFileInfo::exists(QString::fromStdString(*path))) return;
    effect->setSource(QUrl::fromLocalFile(QString::fromStdString(*path)));
    effect->play();
}

void stopCues() {
    if (player == nullptr) return;
    player->stop();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (player->status() == QSoundEffect::Loading && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    delete player;  // the destroyed signal clears the pointer
}
