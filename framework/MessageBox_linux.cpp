#include "framework/MessageBox.h"

#include <algorithm>
#include <vector>

#include "framework/FrameworkImpl_linux.h"

namespace {

// Room beside the caption for the title bar's button and margins, which the box itself
// cannot measure: a window manager draws them.
constexpr int kTitleBarExtra = 120;

struct OpenBox {
  GtkWidget* box;
  std::wstring text, caption;
};

// The boxes up now, oldest first. UI thread only.
std::vector<OpenBox>& openBoxes() {
  static std::vector<OpenBox> boxes;
  return boxes;
}

// The box's loop and the player's answer.
struct Answer {
  GMainLoop* loop;
  gint response = GTK_RESPONSE_NONE;
};

void onResponse(GtkDialog*, gint response, gpointer data) {
  Answer& answer = *static_cast<Answer*>(data);
  answer.response = response;
  g_main_loop_quit(answer.loop);
}

// GTK 3 draws no icon for a message type any more: the box gets the theme's sign, as a
// Windows box has its own.
void addIcon(GtkWidget* box, const char* iconName) {
  GtkWidget* row = gtk_widget_get_parent(gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(box)));
  if (!GTK_IS_BOX(row)) return;
  GtkWidget* icon = gtk_image_new_from_icon_name(iconName, GTK_ICON_SIZE_DIALOG);
  gtk_widget_set_valign(icon, GTK_ALIGN_START);
  gtk_box_pack_start(GTK_BOX(row), icon, FALSE, FALSE, 0);
  gtk_box_reorder_child(GTK_BOX(row), icon, 0);
}

// A box as narrow as its text would have its caption cut by the title bar: it is made wide
// enough for the whole caption. The text wraps inside the box, never cut.
void fitCaption(GtkWidget* box, const std::string& caption) {
  PangoLayout* layout = gtk_widget_create_pango_layout(box, caption.c_str());
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  g_object_unref(layout);
  gtk_window_set_default_size(GTK_WINDOW(box), width + kTitleBarExtra, -1);
}

// Shows a box of `type` with `buttons` and returns the player's response once it is
// dismissed; GTK_RESPONSE_NONE when the same box was already up (it comes forward).
gint runBox(const std::wstring& text, const std::wstring& caption, GtkMessageType type, GtkButtonsType buttons,
            GtkWidget** shown) {
  if (!ensureToolkit()) return GTK_RESPONSE_NONE;
  // The same box again (close pressed twice) would stack a copy: the one up comes forward.
  for (const OpenBox& open : openBoxes()) {
    if (open.text == text && open.caption == caption) {
      gtk_window_present(GTK_WINDOW(open.box));
      return GTK_RESPONSE_NONE;
    }
  }
  // No parent and not modal: like an ownerless Windows box, it leaves other windows usable;
  // the call returns when it is dismissed, as MessageBoxW does.
  GtkWidget* box =
      gtk_message_dialog_new(nullptr, GTK_DIALOG_DESTROY_WITH_PARENT, type, buttons, "%s", utf8(text).c_str());
  const std::string title = utf8(caption);
  gtk_window_set_title(GTK_WINDOW(box), title.c_str());
  addIcon(box, type == GTK_MESSAGE_QUESTION ? "dialog-question" : "dialog-warning");
  fitCaption(box, title);
  g_object_ref(box);  // survives a destroy from elsewhere until we are done with it
  Answer answer{g_main_loop_new(nullptr, FALSE)};
  g_signal_connect(box, "response", G_CALLBACK(onResponse), &answer);
  g_signal_connect_swapped(box, "destroy", G_CALLBACK(g_main_loop_quit), answer.loop);
  gtk_widget_show_all(box);
  openBoxes().push_back({box, text, caption});
  if (shown != nullptr) *shown = box;
  g_main_loop_run(answer.loop);
  if (shown != nullptr) *shown = nullptr;
  std::vector<OpenBox>& boxes = openBoxes();
  boxes.erase(std::remove_if(boxes.begin(), boxes.end(), [box](const OpenBox& open) { return open.box == box; }),
              boxes.end());
  g_signal_handlers_disconnect_by_data(box, &answer);
  g_signal_handlers_disconnect_by_data(box, answer.loop);
  gtk_widget_destroy(box);
  g_object_unref(box);
  g_main_loop_unref(answer.loop);
  return answer.response;
}

}  // namespace

void AfxWarningBox(const std::wstring& text, const std::wstring& caption) { runWarningBox(text, caption, nullptr); }

bool AfxQuestionBox(const std::wstring& text, const std::wstring& caption) {
  return runBox(text, caption, GTK_MESSAGE_QUESTION, GTK_BUTTONS_YES_NO, nullptr) == GTK_RESPONSE_YES;
}

GtkWidget* newestWarningBox() { return openBoxes().empty() ? nullptr : openBoxes().back().box; }

void runWarningBox(const std::wstring& text, const std::wstring& caption, GtkWidget** shown) {
  runBox(text, caption, GTK_MESSAGE_WARNING, GTK_BUTTONS_OK, shown);
}
