// The peer of the window benchmark: the least a GTK program does to show a 1280 × 725
// window with a PNG background.   minimal_window PICTURE.png
#include <gtk/gtk.h>

namespace {

gboolean draw(GtkWidget*, cairo_t* cr, gpointer picture) {
  gdk_cairo_set_source_pixbuf(cr, static_cast<GdkPixbuf*>(picture), 0, 0);
  cairo_paint(cr);
  return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  if (argc != 2) return 2;
  GdkPixbuf* picture = gdk_pixbuf_new_from_file(argv[1], nullptr);
  if (picture == nullptr) return 1;
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "Minimal");
  gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
  gtk_widget_set_app_paintable(window, TRUE);
  gtk_window_set_default_size(GTK_WINDOW(window), 1280, 725);
  g_signal_connect(window, "draw", G_CALLBACK(draw), picture);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gtk_widget_show_all(window);
  gtk_main();
  return 0;
}
