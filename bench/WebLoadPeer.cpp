// The peer of the web-load benchmark: the least a GTK program with WebKitGTK needs to show
// a page in a window. Prints "loaded" when the page has finished loading, then ends.
#include <webkit2/webkit2.h>

#include <cstdio>

namespace {

void onLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer) {
  if (event != WEBKIT_LOAD_FINISHED) return;
  std::puts("loaded");
  std::fflush(stdout);
  gtk_main_quit();
}

}  // namespace

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: kvr_webload_peer URL\n");
    return 2;
  }
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), 589, 483);
  GtkWidget* view = webkit_web_view_new();
  g_signal_connect(view, "load-changed", G_CALLBACK(onLoadChanged), nullptr);
  gtk_container_add(GTK_CONTAINER(window), view);
  gtk_widget_show_all(window);
  webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), argv[1]);
  gtk_main();
  return 0;
}
