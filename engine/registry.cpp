// Handle tables: panel handles and, per panel, control id -> widget.
#include <QHash>
#include <QMap>
#include <QPointer>

#include "engine/internal.h"
#include "ui/controls.h"

namespace engine {
namespace {

struct PanelEntry {
    QPointer<QWidget> widget;
    int parent = 0;
    int resourceId = 0;
    QMap<int, QPointer<QWidget>> controls;
};

struct Registry {
    QMap<int, PanelEntry> panels;
    QHash<const QWidget*, int> panelOf;    // panel widget -> handle
    QHash<const QWidget*, int> ctrlPanel;  // control widget -> panel handle
    QHash<const QWidget*, int> ctrlId;     // control widget -> id
    int nextPanel = 1;
    int nextCtrl = CTRL_COUNT_;
};

Registry& reg() {
    static Registry r;
    return r;
}

}  // namespace

QWidget* panelWidget(int panel) {
    auto it = reg().panels.constFind(panel);
    return it == reg().panels.constEnd() ? nullptr : it->widget.data();
}

QWidget* controlWidget(int panel, int control) {
    auto it = reg().panels.constFind(panel);
    if (it == reg().panels.constEnd()) return nullptr;
    auto c = it->controls.constFind(control);
    return c == it->controls.constEnd() ? nullptr : c->data();
}

int panelOfWidget(const QWidget* w) {
    if (auto it = reg().panelOf.constFind(w); it != reg().panelOf.constEnd()) return *it;
    if (auto it = reg().ctrlPanel.constFind(w); it != reg().ctrlPanel.constEnd()) return *it;
    return -1;
}

int controlOfWidget(const QWidget* w) { return reg().ctrlId.value(w, -1); }

static void registerControl(int panel, int id, QWidget* w) {
    reg().panels[panel].controls.insert(id, w);
    reg().ctrlPanel.insert(w, panel);
    reg().ctrlId.insert(w, id);
}

int adoptPanel(QWidget* root, int parentPanel, int resourceId) {
    Registry& r = reg();
    const int handle = r.nextPanel++;
    PanelEntry& e = r.panels[handle];
    e.widget = root;
    e.parent = parentPanel;
    e.resourceId = resourceId;
    r.panelOf.insert(root, handle);
    for (const ControlDef& d : kControlDefs) {
        if (d.panelResourceId != resourceId) continue;
        if (auto* w = root->findChild<QWidget*>(QString::fromLatin1(d.name))) registerControl(handle, d.id, w);
    }
    return handle;
}

int adoptControl(int panel, QWidget* w) {
    if (!panelWidget(panel)) return -1;
    const int id = reg().nextCtrl++;
    registerControl(panel, id, w);
    return id;
}

void forgetPanel(int panel) {
    Registry& r = reg();
    auto it = r.panels.find(panel);
    if (it == r.panels.end()) return;
    for (auto c = it->controls.cbegin(); c != it->controls.cend(); ++c) {
        r.ctrlPanel.remove(c->data());
        r.ctrlId.remove(c->data());
    }
    r.panelOf.remove(it->widget.data());
    r.panels.erase(it);
}

}  // namespace engine
