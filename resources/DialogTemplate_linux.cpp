// The dialog templates the launcher carries, for the Linux dialog layer.
#include "framework/DialogTemplate_linux.h"
#include "MainDialog.h"

namespace {

#define KVR_TEMPLATE_CONTROL(id, kind, text, x, y, w, h) {id, DialogControlKind::kind, text, x, y, w, h},
constexpr DialogControl kMainDialogControls[] = {KVR_MAIN_DIALOG_CONTROLS(KVR_TEMPLATE_CONTROL)};
#undef KVR_TEMPLATE_CONTROL

constexpr DialogTemplate kMainDialog = {IDD_MAIN_DIALOG, KVR_MAIN_DIALOG_WIDTH, KVR_MAIN_DIALOG_HEIGHT,
                                        kMainDialogControls};

}  // namespace

const DialogTemplate* FindDialogTemplate(unsigned id) { return id == kMainDialog.id ? &kMainDialog : nullptr; }
