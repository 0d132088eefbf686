// Panels: loading from the resource file (Qt Designer XML read with
// QUiLoader at run time), showing, placing, discarding.
#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QUiLoader>
#include <QWidget>
#include <QXmlStreamReader>

#include "engine/combo.h"
#include "engine/cvi.h"
#include "engine/graph.h"
#include "engine/internal.h"
#include "engine/numeric.h"
#include "engine/uistate.h"

namespace engine {
namespace {

// Builds our own widget classes where the file names them; the rings are
// CviCombo so that a port list can refresh when it opens.
class PanelLoader : public QUiLoader {
public:
    using QUiLoader::QUiLoader;
    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        QWidget* w = nullptr;
        if (className == QLatin1String("CviNumeric")) w = new CviNumeric(parent);
        else if (className == QLatin1String("CviGraph")) w = new CviGraph(parent);
        else if (className == QLatin1String("CviStripChart")) w = new CviStripChart(parent);
        else if (className == QLatin1String("QComboBox")) w = new CviCombo(parent);
        if (!w) return QUiLoader::createWidget(className, parent, name);
        w->setObjectName(name);
        return w;
    }
};

// The resource file is read once and cut into one small document per
// panel, so that loading a panel builds that panel's widgets only (the
// main panel's graphs are the costly part of the file). A changed file
// (size or time) is read again.
struct CachedFile {
    QDateTime modified;
    qint64 size = -1;
    QByteArray bytes;
    QHash<int, QByteArray> panels;  // resource id -> document; empty: not cut
};

// Cuts a resource file at its panels: the root widget's direct child
// widgets, each with its `resourceId`. The sections beside the root widget
// (custom widget declarations) go with every panel. Returns nothing when
// the file is not what we expect; it is then loaded whole.
QHash<int, QByteArray> splitPanels(const QByteArray& bytes) {
    const QString text = QString::fromUtf8(bytes);
    QXmlStreamReader r(text);
    struct Cut {
        qint64 begin = 0, end = 0;
        int resourceId = 0;
        bool hasId = false;
    };
    QList<Cut> cuts;
    QString extras;
    int depth = 0;  // ui = 1, root widget = 2, panel = 3
    bool inRoot = false;
    bool idProperty = false;
    qint64 before = 0;
    qint64 sectionBegin = -1;
    while (!r.atEnd()) {
        before = r.characterOffset();
        r.readNext();
        // The reader may have looked one character ahead: a tag starts at
        // the '<' at or just before the offset the last token ended at.
        if (r.isStartElement()) before = text.lastIndexOf(QLatin1Char('<'), before);
        if (r.isStartDocument()) {
            const QString enc = r.documentEncoding().toString().toLower();
            if (!enc.isEmpty() && enc != QLatin1String("utf-8")) return {};
        } else if (r.isStartElement()) {
            ++depth;
            const auto name = r.name();
            if (depth == 2 && name == QLatin1String("widget")) {
                inRoot = true;
            } else if (depth == 2 && name != QLatin1String("class")) {
                sectionBegin = before;
            } else if (depth == 3 && inRoot && name == QLatin1String("widget")) {
                cuts.append(Cut{before, 0, 0, false});
            } else if (depth == 4 && inRoot && !cuts.isEmpty() && name == QLatin1String("property")) {
                idProperty = r.attributes().value(QLatin1String("name")) == QLatin1String("resourceId");
            } else if (depth == 5 && idProperty && name == QLatin1String("number")) {
                bool ok = false;
                cuts.last().resourceId = r.readElementText().trimmed().toInt(&ok);
                cuts.last().hasId = ok;
                --depth;  // readElementText consumed the end tag
            }
        } else if (r.isEndElement()) {
            if (depth == 2 && r.name() == QLatin1String("widget")) inRoot = false;
            if (depth == 2 && sectionBegin >= 0) {
                extras += text.mid(sectionBegin, r.characterOffset() - sectionBegin);
                sectionBegin = -1;
            }
            if (depth == 3 && inRoot && !cuts.isEmpty() && r.name() == QLatin1String("widget"))
                cuts.last().end = r.characterOffset();
            if (depth == 4) idProperty = false;
            --depth;
        }
    }
    if (r.hasError()) return {};
    QHash<int, QByteArray> out;

    for (const Cut& c : cuts) {
        if (!c.hasId || c.end <= c.begin || out.contains(c.resourceId)) continue;
        const QString doc = QStringLiteral(
                                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ui version=\"4.0\">"
                                "<class>KVorPanels</class><widget class=\"QWidget\" name=\"KVorPanels\">") +
                            text.mid(c.begin, c.end - c.begin) + QStringLiteral("</widget>") + extras +
                            QStringLiteral("</ui>\n");
        out.insert(c.resourceId, doc.toUtf8());
    }
    return out;
}

const CachedFile* cachedResource(const QString& path) {
    static QHash<QString, CachedFile> cache;
    const QFileInfo fi(path);
    if (!fi.isFile()) return nullptr;
    CachedFile& c = cache[fi.absoluteFilePath()];
    if (c.size != fi.size() || c.modified != fi.lastModified() || c.bytes.isEmpty()) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) return nullptr;
        c.bytes = f.readAll();
        c.size = fi.size();
        c.modified = fi.lastModified();
        c.panels = splitPanels(c.bytes);
    }
    return c.bytes.isEmpty() ? nullptr : &c;
}

QWidget* findPanel(QWidget* root, int resourceId) {
    for (QObject* o : root->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w) continue;
        bool ok = false;
        const int rid = w->property("resourceId").toInt(&ok);
        if (ok && rid == resourceId) return w;
    }
    return nullptr;
}

bool isChildPanel(int panel) {
    PanelState* ps = panelState(panel);
    return ps && ps->parent > 0;
}

int g_activePanel = 0;

// Children first: they live inside the parent's widget.
void collectPanelTree(int panel, QList<int>& out) {
    for (int k : childPanels(panel)) collectPanelTree(k, out);
    out.append(panel);
}

}  // namespace

QString resolveProgramFile(const char* fileName) {
    const QString name = fromProgram(fileName);
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))) return name;
    char dir[MAX_PATHNAME_LEN] = {};
    if (GetProjectDir(dir) < 0 || !dir[0]) return name;
    const QDir programDir(QString::fromLocal8Bit(dir));
    const QString beside = programDir.filePath(name);
    // Installed, the program is in <prefix>/bin and its files in
    // <prefix>/share/kvor-scope; in the build tree they sit beside it.
    const QString shared = QDir::cleanPath(programDir.filePath(QStringLiteral("../share/kvor-scope/") + name));
    return !QFileInfo::exists(beside) && QFileInfo::exists(shared) ? shared : beside;
}

}  // namespace engine

using namespace engine;

int LoadPanel(int parentPanel, const char* resourceFile, int resourceId) {
    if (!QApplication::instance() || !resourceFile) return UIEResourceNotFound;
    QWidget* parentWidget = nullptr;
    if (parentPanel != 0) {
        parentWidget = panelWidget(parentPanel);
        if (!parentWidget) return UIEBadPanel;
    }
    const CachedFile* file = cachedResource(resolveProgramFile(resourceFile));
    if (!file) return UIEResourceNotFound;
    if (!file->panels.isEmpty() && !file->panels.contains(resourceId)) return UIEResourceNotFound;

    QBuffer buffer;
    buffer.setData(file->panels.isEmpty() ? file->bytes : file->panels.value(resourceId));
    buffer.open(QIODevice::ReadOnly);
    // One loader for the run: making one looks for designer plugins.
    static PanelLoader* loader = new PanelLoader(QCoreApplication::instance());
    QWidget* root = loader->load(&buffer, nullptr);
    if (!root) return UIEResourceNotFound;
    QWidget* panel = findPanel(root, resourceId);
    if (!panel) {
        delete root;
        return UIEResourceNotFound;
    }
    // Detach the panel; the rest of the file goes.
    const QRect geom = panel->geometry();
    if (parentWidget) {
        panel->setParent(parentWidget);
        panel->setGeometry(geom);
    } else {
        panel->setParent(nullptr, Qt::Window);
        panel->resize(geom.size());
    }
    panel->hide();
    delete root;

    const int handle = adoptPanel(panel, parentPanel, resourceId);
    const QByteArray panelCallback = panel->property("callback").toString().toLatin1();
    checkCallbackName(panelCallback);
    attachPanel(handle, parentPanel, resourceId, panelCallback);
    connectPanelEvents(panel);
    for (const ControlDef& d : kControlDefs) {
        if (d.panelResourceId != resourceId || !controlWidget(handle, d.id)) continue;
        CtrlState* s = attachControl(handle, d.id);
        if (!s) continue;
        checkCallbackName(s->callbackName);
        if (s->portList) refreshItemTexts(s);
    }
    if (parentPanel) raiseOnTopControls(parentPanel);
    return handle;
}

int DisplayPanel(int panel) {
    QWidget* w = panelWidget(panel);
    if (!w) return UIEBadPanel;
    // The panel appears with what the program set, not with what the
    // widgets showed at the last repaint.
    flushAll();
    w->show();
    if (PanelState* ps = panelState(panel); ps && ps->parent > 0) {
        w->raise();
        raiseOnTopControls(ps->parent);
    } else if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        w->raise();  // the headless platform cannot, and says so each time
    }
    return 0;
}

int HidePanel(int panel) {
    QWidget* w = panelWidget(panel);
    if (!w) return UIEBadPanel;
    w->hide();
    return 0;
}

int DiscardPanel(int panel) {
    QWidget* w = panelWidget(panel);
    if (!w) return UIEBadPanel;
    QList<int> tree;
    collectPanelTree(panel, tree);
    for (int h : tree) {
        dropPanelState(h);
        forgetPanel(h);
        if (g_activePanel == h) g_activePanel = 0;
    }
    w->hide();
    // A callback of this panel may still be on the stack.
    if (inCallback()) w->deleteLater();
    else delete w;
    return 0;
}

int SetPanelPos(int panel, int top, int left) {
    QWidget* w = panelWidget(panel);
    if (!w) return UIEBadPanel;
    w->move(left, top);
    return 0;
}

int SetPanelAttribute(int panel, int attribute, int value) {
    QWidget* w = panelWidget(panel);
    if (!w) return UIEBadPanel;
    switch (attribute) {
    case ATTR_LEFT: w->move(value, w->y()); return 0;
    case ATTR_TOP: w->move(w->x(), value); return 0;
    case ATTR_WIDTH:
        if (value < 0) return UIEBadValue;
        w->resize(value, w->height());
        return 0;
    case ATTR_HEIGHT:
        if (value < 0) return UIEBadValue;
        w->resize(w->width(), value);
        return 0;
    case ATTR_VISIBLE: return value ? DisplayPanel(panel) : HidePanel(panel);
    case ATTR_DIMMED: w->setEnabled(value == 0); return 0;
    case ATTR_FRAME_COLOR:
    case ATTR_TEXT_BGCOLOR: {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Window, colorOf(value));
        w->setAutoFillBackground(true);
        w->setPalette(pal);
        return 0;
    }
    default: return UIEBadAttr;
    }
}

int SetPanelAttribute(int panel, int attribute, const char* value) {
    QWidget* w = panelWidget(panel);
    if (!w) return UIEBadPanel;
    if (attribute != ATTR_TITLE) return UIEBadAttr;
    w->setWindowTitle(fromProgram(value));
    return 0;
}

int GetPanelAttribute(int panel, int attribute, int* value) {
    QWidget* w = panelWidget(panel);
    if (!w) return UIEBadPanel;
    if (!value) return UIEBadValue;
    switch (attribute) {
    case ATTR_LEFT: *value = w->x(); return 0;
    case ATTR_TOP: *value = w->y(); return 0;
    case ATTR_WIDTH: *value = w->width(); return 0;
    case ATTR_HEIGHT: *value = w->height(); return 0;
    case ATTR_VISIBLE: *value = !w->isHidden(); return 0;
    case ATTR_DIMMED: *value = !w->isEnabled(); return 0;
    case ATTR_FRAME_COLOR:
    case ATTR_TEXT_BGCOLOR: *value = rgbOf(w->palette().color(QPalette::Window)); return 0;
    default: return UIEBadAttr;
    }
}

int SetActivePanel(int panel) {
    QWidget* w = panelWidget(panel);
    if (!w) return UIEBadPanel;
    g_activePanel = panel;
    if (isChildPanel(panel)) {
        w->setFocus(Qt::OtherFocusReason);
    } else {
        if (QGuiApplication::platformName() != QLatin1String("offscreen")) w->raise();
        w->activateWindow();
    }
    return 0;
}

int GetActivePanel() {
    if (g_activePanel > 0 && panelWidget(g_activePanel)) return g_activePanel;
    if (QWidget* a = QApplication::activeWindow()) {
        const int h = panelOfWidget(a);
        if (h > 0 && panelState(h)) return h;
    }
    return UIEBadPanel;
}

int SetActiveCtrl(int panel, int control) {
    PanelState* ps = panelState(panel);
    if (!ps) return UIEBadPanel;
    CtrlState* s = ctrlState(panel, control);
    if (!s) return UIEBadCtrl;
    ps->activeCtrl = control;
    s->widget->setFocus(Qt::OtherFocusReason);
    return 0;
}

int GetActiveCtrl(int panel) {
    PanelState* ps = panelState(panel);
    if (!ps) return UIEBadPanel;
    if (QWidget* f = QApplication::focusWidget()) {
        for (QWidget* p = f; p; p = p->parentWidget()) {
            const int id = controlOfWidget(p);
            if (id > 0 && panelOfWidget(p) == panel) return id;
        }
    }
    return ps->activeCtrl;
}
