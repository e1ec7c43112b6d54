#include <gtk/gtk.h>
#include <unistd.h>

#include "PosixWrite_linux.h"
#include "StartupMessage.h"
#include "TextConvert.h"

void showStartupError(const std::wstring& text) {
  const std::string narrow = ToAnsi(text);
  const std::string line = narrow + "\n";
  writeAll(STDERR_FILENO, line.data(), line.size());
  // Without a display the player started it from a terminal: standard error is all there is.
  if (!gtk_init_check(nullptr, nullptr)) return;
  GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_WARNING, GTK_BUTTONS_OK, "%s",
                                          narrow.c_str());
  gtk_window_set_title(GTK_WINDOW(box), ToAnsi(kBoxCaption).c_str());
  gtk_dialog_run(GTK_DIALOG(box));
  gtk_widget_destroy(box);
  while (gtk_events_pending()) gtk_main_iteration();
}
