// The host window: a QMainWindow whose central widget contains a QWindow with
// its own OpenGL context. Events of that QWindow become the pl callbacks.
#include "pl/pl.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QIcon>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <map>
#include <memory>

namespace {

std::map<int, std::vector<PlMenuRow>>& menuResources() {
    static std::map<int, std::vector<PlMenuRow>> m;
    return m;
}
std::map<int, std::vector<PlAccelerator>>& acceleratorResources() {
    static std::map<int, std::vector<PlAccelerator>> m;
    return m;
}
std::map<int, std::string>& iconResources() {
    static std::map<int, std::string> m;
    return m;
}

class GlSurface;

struct Host {
    PlInitFunc init = nullptr;
    PlDrawFunc draw = nullptr;
    PlCommandFunc command = nullptr;
    PlKeydownFunc keydown = nullptr;
    PlMouseFunc mousedown = nullptr;
    PlMouseFunc mouseup = nullptr;
    PlDropFunc drop = nullptr;
    int menuId = 0;
    int acceleratorId = 0;
    int iconId = 0;
    bool exitRequested = false;
    bool contextReady = false;
    QMainWindow* frame = nullptr;
    GlSurface* surface = nullptr;
    QOpenGLContext* context = nullptr;
    std::map<int, QAction*> actions;
    std::map<int, QTimer*> timers;
    int downPos[3][2] = {{0, 0}, {0, 0}, {0, 0}};  // per button 1, 2
};

Host* host = nullptr;
QWindow* currentSurface = nullptr;  // the surface whose context plDrawstrat made current
std::unique_ptr<QApplication> ownApplication;

void dispatchCommand(int id) {
    if (host && host->command) host->command(host->frame, PL_WM_COMMAND, static_cast<uintptr_t>(id) & 0xffffu, 0);
}

// Accelerators are matched here rather than through QAction shortcuts: key
// events arrive on the embedded GL window, outside the widget shortcut map.
// A disabled item's accelerator does nothing.
bool handleAccelerator(QKeyEvent* event) {
    if (!host || host->acceleratorId == 0) return false;
    const QKeySequence pressed(event->keyCombination());
    // A punctuation key reached with Shift ("?" is Shift+/) is named by its
    // character alone, so "Alt+?" must match Alt+Shift+/ as typed.
    const int key = event->key();
    const bool shiftedCharacter = key > 0x20 && key < 0x7f && !(key >= Qt::Key_A && key <= Qt::Key_Z);
    const QKeySequence unshifted(QKeyCombination(event->modifiers() & ~Qt::ShiftModifier, Qt::Key(key)));
    for (const PlAccelerator& a : acceleratorResources()[host->acceleratorId]) {
        const QKeySequence wanted(QString::fromStdString(a.keys));
        if (wanted.matches(pressed) != QKeySequence::ExactMatch &&
            !(shiftedCharacter && wanted.matches(unshifted) == QKeySequence::ExactMatch))
            continue;
        auto it = host->actions.find(a.id);
        if (it != host->actions.end() && !it->second->isEnabled()) return true;
        dispatchCommand(a.id);
        return true;
    }
    return false;
}

int virtualKeyOf(int qtKey) {
    if (qtKey == Qt::Key_Escape) return 27;
    if (qtKey == Qt::Key_Space) return 32;
    if (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter) return 13;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 0x70 + (qtKey - Qt::Key_F1);
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)) return qtKey;
    return 0;
}

void handleKey(QKeyEvent* event) {
    if (handleAccelerator(event)) return;
    const int vk = virtualKeyOf(event->key());
    if (vk != 0 && host && host->keydown) host->keydown(vk);
}

bool handleDrop(const QMimeData* mime) {
    if (!host || !host->drop || !mime->hasUrls() || mime->urls().isEmpty()) return false;
    const QUrl url = mime->urls().first();
    if (!url.isLocalFile()) return false;
    host->drop(url.toLocalFile().toStdString().c_str());
    return true;
}

class GlSurface : public QWindow {
public:
    GlSurface() { setSurfaceType(QWindow::OpenGLSurface); }

protected:
    void exposeEvent(QExposeEvent*) override {
        if (!isExposed()) return;
        ensureContext();
        redraw();
    }
    void resizeEvent(QResizeEvent*) override {
        if (host && host->contextReady) callInit();
    }
    bool event(QEvent* e) override {
        switch (e->type()) {
        case QEvent::UpdateRequest:
            redraw();
            return true;
        case QEvent::DragEnter: {
            auto* d = static_cast<QDragEnterEvent*>(e);
            if (d->mimeData()->hasUrls()) d->acceptProposedAction();
            return true;
        }
        case QEvent::DragMove:
            static_cast<QDragMoveEvent*>(e)->acceptProposedAction();
            return true;
        case QEvent::Drop: {
            auto* d = static_cast<QDropEvent*>(e);
            if (handleDrop(d->mimeData())) d->acceptProposedAction();
            return true;
        }
        default:
            return QWindow::event(e);
        }
    }
    void keyPressEvent(QKeyEvent* e) override { handleKey(e); }
    void mousePressEvent(QMouseEvent* e) override {
        const int b = buttonNumber(e->button());
        if (b == 0 || !host) return;
        host->downPos[b][0] = qRound(e->position().x());
        host->downPos[b][1] = qRound(e->position().y());
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        const int b = buttonNumber(e->button());
        if (b != 0 && host && host->mouseup) host->mouseup(b, qRound(e->position().x()), qRound(e->position().y()));
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        const bool left = e->buttons() & Qt::LeftButton, right = e->buttons() & Qt::RightButton;
        const int code = left && right ? PL_MOUSE_DRAG_BOTH : left ? PL_MOUSE_DRAG_LEFT : right ? PL_MOUSE_DRAG_RIGHT : 0;
        if (code != 0 && host && host->mousedown) host->mousedown(code, qRound(e->position().x()), qRound(e->position().y()));
    }
    void wheelEvent(QWheelEvent* e) override {
        // One notch is 120 eighths of a degree; smaller steps of fine wheels accumulate.
        wheelRest_ += e->angleDelta().y();
        const int notches = wheelRest_ / 120;
        wheelRest_ -= notches * 120;
        if (notches != 0 && host && host->mousedown) host->mousedown(PL_MOUSE_WHEEL, notches, 0);
    }

private:
    static int buttonNumber(Qt::MouseButton b) { return b == Qt::LeftButton ? 1 : b == Qt::RightButton ? 2 : 0; }
    void ensureContext() {
        if (!host || host->context) return;
        host->context = new QOpenGLContext(this);
        host->context->setFormat(requestedFormat());
        if (!host->context->create()) return;
        host->contextReady = true;
        callInit();
    }
    void callInit() {
        if (!host->init || !host->context->makeCurrent(this)) return;
        host->init(0);
        host->context->doneCurrent();
    }
    void redraw() {
        if (!host || !host->contextReady || !host->draw || !isExposed()) return;
        plDrawstrat(0);
        host->draw();
        plDrawend(0);
    }
    int wheelRest_ = 0;
};

class Frame : public QMainWindow {
protected:
    void closeEvent(QCloseEvent* e) override {
        // The program's loop sees the request and shuts down in its own order.
        if (host) host->exitRequested = true;
        e->ignore();
    }
    void keyPressEvent(QKeyEvent* e) override { handleKey(e); }
    void dragEnterEvent(QDragEnterEvent* e) override {
        if (e->mimeData()->hasUrls()) e->acceptProposedAction();
    }
    void dropEvent(QDropEvent* e) override {
        if (handleDrop(e->mimeData())) e->acceptProposedAction();
    }
};

void buildMenu(QMenuBar* bar, const std::vector<PlMenuRow>& rows) {
    std::vector<QMenu*> stack;
    for (const PlMenuRow& row : rows) {
        const QString text = QString::fromStdString(row.text);
        switch (row.kind) {
        case PlMenuKind::Popup:
            stack.push_back(stack.empty() ? bar->addMenu(text) : stack.back()->addMenu(text));
            break;
        case PlMenuKind::EndPopup:
            if (!stack.empty()) stack.pop_back();
            break;
        case PlMenuKind::Separator:
            if (!stack.empty()) stack.back()->addSeparator();
            break;
        case PlMenuKind::Item: {
            if (stack.empty()) break;
            QAction* action = stack.back()->addAction(text);
            const int id = row.id;
            QObject::connect(action, &QAction::triggered, [id] { dispatchCommand(id); });
            host->actions[id] = action;
            break;
        }
        }
    }
}

QAction* actionOf(int id) {
    if (!host) return nullptr;
    auto it = host->actions.find(id);
    return it == host->actions.end() ? nullptr : it->second;
}

}  // namespace

void plRegisterMenu(int resourceId, std::vector<PlMenuRow> rows) { menuResources()[resourceId] = std::move(rows); }
void plRegisterAccelerators(int resourceId, std::vector<PlAccelerator> table) {
    acceleratorResources()[resourceId] = std::move(table);
}
void plRegisterIcon(int resourceId, const std::string& imagePath) { iconResources()[resourceId] = imagePath; }

int plSethinstance(void*, int) {
    if (!QApplication::instance()) {
        static int argc = 1;
        static char name[] = "quindle";
        static char* argv[] = {name, nullptr};
        ownApplication = std::make_unique<QApplication>(argc, argv);
    }
    return 0;
}

int plGetwindow() {
    if (!QApplication::instance()) return -1;
    if (!host) host = new Host;
    return 0;
}

int plSetmenu(int, int resourceId) { return host ? (host->menuId = resourceId, 0) : 1; }
int plSetAccelerators(int, int resourceId) { return host ? (host->acceleratorId = resourceId, 0) : 1; }
int plSetinitfunc(int, PlInitFunc f) { return host ? (host->init = f, 0) : 1; }
int plSetdrawfunc(int, PlDrawFunc f) { return host ? (host->draw = f, 0) : 1; }
int plSetcommandfunc(int, PlCommandFunc f) { return host ? (host->command = f, 0) : 1; }
int plSetkeydownfunc(int, PlKeydownFunc f) { return host ? (host->keydown = f, 0) : 1; }
int plSetmousedownfunc(int, PlMouseFunc f) { return host ? (host->mousedown = f, 0) : 1; }
int plSetmouseupfunc(int, PlMouseFunc f) { return host ? (host->mouseup = f, 0) : 1; }
int plSetdropfunc(int, PlDropFunc f) { return host ? (host->drop = f, 0) : 1; }
int plSeticon(int, int resourceId) { return host ? (host->iconId = resourceId, 0) : 1; }
int plSetSmallicon(int, int resourceId) { return host ? (host->iconId = resourceId, 0) : 1; }

void* plCreatewindow(int, int x, int y, int width, int height, const char* title) {
    if (!host || host->frame) return nullptr;
    host->frame = new Frame;
    host->frame->setWindowTitle(QString::fromUtf8(title));
    host->frame->setAcceptDrops(true);
    if (host->iconId != 0 && iconResources().count(host->iconId)) {
        host->frame->setWindowIcon(QIcon(QString::fromStdString(iconResources()[host->iconId])));
    }
    if (host->menuId != 0) buildMenu(host->frame->menuBar(), menuResources()[host->menuId]);
    host->surface = new GlSurface;
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setDepthBufferSize(24);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    host->surface->setFormat(format);
    QWidget* container = QWidget::createWindowContainer(host->surface, host->frame);
    container->setFocusPolicy(Qt::StrongFocus);
    container->setAcceptDrops(true);
    host->frame->setCentralWidget(container);
    host->frame->resize(width, height);
    if (x != PL_DEFAULT_POSITION && y != PL_DEFAULT_POSITION) host->frame->move(x, y);
    host->frame->show();
    container->setFocus();
    return host->frame;
}

int plFlush(int) {
    QCoreApplication::processEvents();
    return 0;
}

int plDrawstrat(int) {
    if (!host || !host->contextReady) return 1;
    if (!host->context->makeCurrent(host->surface)) return 1;
    currentSurface = host->surface;
    return 0;
}

int plDrawend(int) {
    if (!host || !host->contextReady) return 1;
    host->context->doneCurrent();
    currentSurface = nullptr;
    return 0;
}

int plSwapbuffer() {
    if (!host || !host->contextReady || !currentSurface) return 1;
    host->context->swapBuffers(currentSurface);
    return 0;
}

int plUpdate(int) {
    if (!host || !host->surface) return 1;
    host->surface->requestUpdate();
    return 0;
}

int plGetwindowsize(int, int* width, int* height) {
    if (!host || !host->surface) return 1;
    *width = host->surface->width();
    *height = host->surface->height();
    return 0;
}

int plGetMousedownpos(int, int button, int* x, int* y) {
    if (!host || button < 1 || button > 2) return 1;
    *x = host->downPos[button][0];
    *y = host->downPos[button][1];
    return 0;
}

int plEventLoop(int) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return 0;
}

int plWaitEvents(int, int timeoutMs) {
    // Blocks inside the Qt event loop: an idle window costs no processor time.
    if (timeoutMs < 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    } else {
        QEventLoop loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return 0;
}

int plGetwinexit(int) { return host && host->exitRequested ? 1 : 0; }
int plSetwinexit(int) {
    if (!host) return 1;
    host->exitRequested = true;
    // Wake a loop waiting in plWaitEvents.
    QCoreApplication::postEvent(host->frame ? static_cast<QObject*>(host->frame) : QCoreApplication::instance(),
                                new QEvent(QEvent::User));
    return 0;
}

int plExitwindow(int) {
    if (!host) return 1;
    for (auto& [id, timer] : host->timers) delete timer;
    if (host->context) {
        delete host->context;
    }
    delete host->frame;  // deletes the container and the surface
    delete host;
    host = nullptr;
    currentSurface = nullptr;
    return 0;
}

int plSetTimer(int, int timerId, int periodMs, PlTimerFunc f) {
    if (!host) return 1;
    QTimer*& timer = host->timers[timerId];
    if (!timer) timer = new QTimer;
    timer->stop();
    timer->disconnect();
    QObject::connect(timer, &QTimer::timeout, [f] { f(); });
    timer->start(periodMs);
    return 0;
}

int plKillTimer(int, int timerId) {
    if (!host) return 1;
    auto it = host->timers.find(timerId);
    if (it == host->timers.end()) return 1;
    it->second->stop();
    return 0;
}

bool plTimerActive(int, int timerId) {
    if (!host) return false;
    auto it = host->timers.find(timerId);
    return it != host->timers.end() && it->second->isActive();
}

int plSetTitle(int, const char* title) {
    if (!host || !host->frame) return 1;
    host->frame->setWindowTitle(QString::fromUtf8(title));
    return 0;
}

int plEnableMenuItem(int, int id, bool enabled) {
    QAction* a = actionOf(id);
    if (!a) return 1;
    a->setEnabled(enabled);
    return 0;
}

int plCheckMenuItem(int, int id, bool checked) {
    QAction* a = actionOf(id);
    if (!a) return 1;
    a->setCheckable(true);
    a->setChecked(checked);
    return 0;
}

bool plMenuItemEnabled(int, int id) {
    QAction* a = actionOf(id);
    return a && a->isEnabled();
}
bool plMenuItemChecked(int, int id) {
    QAction* a = actionOf(id);
    return a && a->isChecked();
}

int plSendCommand(int, int id) {
    if (!host) return 1;
    dispatchCommand(id);
    return 0;
}

int plGetWindowRect(int, int* x, int* y, int* width, int* height) {
    if (!host || !host->frame) return 1;
    const QRect r = host->frame->normalGeometry().isValid() ? host->frame->normalGeometry() : host->frame->geometry();
    *x = r.x();
    *y = r.y();
    *width = r.width();
    *height = r.height();
    return 0;
}

int plMoveWindow(int, int x, int y, int width, int height) {
    if (!host || !host->frame) return 1;
    host->frame->move(x, y);
    if (width != 0 || height != 0) host->frame->resize(width, height);
    return 0;
}

QMainWindow* plQtWindow(int) { return host ? host->frame : nullptr; }
