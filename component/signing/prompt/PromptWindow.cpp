#include "component/signing/prompt/PromptWindow.h"

#include <glib-unix.h>
#include <gtk/gtk.h>

#include "platform/WinApi.h"

namespace {

constexpr int kSpacing = 12;
constexpr int kWidestLineChars = 90;

GtkWidget* MessageRow(const DisplayPrompt& prompt) {
    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, kSpacing);
    gtk_container_set_border_width(GTK_CONTAINER(row), kSpacing);
    GtkWidget* icon = gtk_image_new_from_icon_name("dialog-warning", GTK_ICON_SIZE_DIALOG);
    gtk_widget_set_valign(icon, GTK_ALIGN_START);
    GtkWidget* label = gtk_label_new(prompt.text.c_str());
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_max_width_chars(GTK_LABEL(label), kWidestLineChars);
    // The start of a right-to-left window is its right side.
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_LEFT);
    gtk_box_pack_start(GTK_BOX(row), icon, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), label, TRUE, TRUE, 0);
    return row;
}

struct ChannelWatch {
    GtkDialog* dialog;
    bool closed = false;
};

gboolean CloseWhenChannelGoes(gint, GIOCondition, gpointer data) {
    auto* watch = static_cast<ChannelWatch*>(data);
    watch->closed = true;
    gtk_dialog_response(watch->dialog, GTK_RESPONSE_NONE);
    return G_SOURCE_REMOVE;
}

} // namespace

bool CanShowWindows(int& argc, char**& argv) {
    return gtk_init_check(&argc, &argv) != FALSE;
}

int AskInWindow(const DisplayPrompt& prompt, int channel) {
    gtk_widget_set_default_direction(GTK_TEXT_DIR_RTL);
    GtkWidget* dialog = gtk_dialog_new();
    GtkWindow* window = GTK_WINDOW(dialog);
    gtk_window_set_title(window, prompt.caption.c_str());
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_keep_above(window, TRUE);
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_position(window, GTK_WIN_POS_CENTER_ALWAYS);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog))),
                      MessageRow(prompt));

    GtkWidget* ok =
        gtk_dialog_add_button(GTK_DIALOG(dialog), prompt.okWord.c_str(), GTK_RESPONSE_OK);
    if (prompt.withCancel) {
        gtk_dialog_add_button(GTK_DIALOG(dialog), prompt.cancelWord.c_str(), GTK_RESPONSE_CANCEL);
    }
    // Enter answers OK; Escape and closing the window answer as Cancel.
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    gtk_widget_show_all(dialog);
    gtk_widget_grab_focus(ok);
    gtk_window_present(window);
    // The caller went away (a host killed by its browser): nobody could use an answer, and
    // a confirmation must not outlive the request it was for.
    ChannelWatch watch{GTK_DIALOG(dialog)};
    const guint source = g_unix_fd_add(channel, static_cast<GIOCondition>(G_IO_HUP | G_IO_ERR),
                                       &CloseWhenChannelGoes, &watch);
    const int response = gtk_dialog_run(GTK_DIALOG(dialog));
    if (!watch.closed) {
        g_source_remove(source);
    }
    gtk_widget_destroy(dialog);
    if (watch.closed) {
        return 0;
    }
    return response == GTK_RESPONSE_OK ? IDOK : IDCANCEL;
}
