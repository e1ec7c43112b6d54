#include "framework/MessageBox.h"
#include "framework/FrameworkImpl_linux.h"

namespace {

void onResponse(GtkDialog*, gint, gpointer loop) { g_main_loop_quit(static_cast<GMainLoop*>(loop)); }

}  // namespace

void AfxWarningBox(const std::wstring& text, const std::wstring& caption) { runWarningBox(text, caption, nullptr); }

void runWarningBox(const std::wstring& text, const std::wstring& caption, GtkWidget** shown) {
  if (!ensureToolkit()) return;
  // No parent and not modal: like an ownerless Windows box, it leaves other windows usable;
  // the call returns when it is dismissed, as MessageBoxW does.
  GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_DESTROY_WITH_PARENT, GTK_MESSAGE_WARNING, GTK_BUTTONS_OK,
                                          "%s", utf8(text).c_str());
  gtk_window_set_title(GTK_WINDOW(box), utf8(caption).c_str());
  g_object_ref(box);  // survives a destroy from elsewhere until we are done with it
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  g_signal_connect(box, "response", G_CALLBACK(onResponse), loop);
  g_signal_connect_swapped(box, "destroy", G_CALLBACK(g_main_loop_quit), loop);
  gtk_widget_show_all(box);
  if (shown != nullptr) *shown = box;
  g_main_loop_run(loop);
  if (shown != nullptr) *shown = nullptr;
  g_signal_handlers_disconnect_by_data(box, loop);
  gtk_widget_destroy(box);
  g_object_unref(box);
  g_main_loop_unref(loop);
}
