/* fi: drives KWin 5.27 input through org_kde_kwin_fake_input, for tests in kde-session.sh.
   fi key CODE...      press+release Linux keycodes (e.g. 125=Super, 29=Ctrl, 56=Alt, 37=K)
   fi combo CODE...    press all, release in reverse order
   fi click X Y        absolute move + left click
   KWin only offers the interface to executables whose .desktop file lists X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wayland-client.h>
#include "fake-input-client.h"
static struct org_kde_kwin_fake_input *fi;
static void reg_global(void *d, struct wl_registry *r, uint32_t name, const char *iface, uint32_t ver) {
    if (!strcmp(iface, org_kde_kwin_fake_input_interface.name)) fi = wl_registry_bind(r, name, &org_kde_kwin_fake_input_interface, ver < 4 ? ver : 4);
}
static void reg_remove(void *d, struct wl_registry *r, uint32_t name) {}
static const struct wl_registry_listener rl = { reg_global, reg_remove };
int main(int argc, char **argv) {
    if (argc < 2) return 2;
    struct wl_display *dpy = wl_display_connect(NULL);
    if (!dpy) { fprintf(stderr, "no wayland display\n"); return 1; }
    struct wl_registry *reg = wl_display_get_registry(dpy);
    wl_registry_add_listener(reg, &rl, NULL);
    wl_display_roundtrip(dpy);
    if (!fi) { fprintf(stderr, "org_kde_kwin_fake_input not offered to this executable\n"); return 3; }
    org_kde_kwin_fake_input_authenticate(fi, "fi", "test driver");
    if (!strcmp(argv[1], "key")) {
        for (int i = 2; i < argc; i++) { int c = atoi(argv[i]);
            org_kde_kwin_fake_input_keyboard_key(fi, c, 1); wl_display_roundtrip(dpy); usleep(20000);
            org_kde_kwin_fake_input_keyboard_key(fi, c, 0); wl_display_roundtrip(dpy); usleep(20000); }
    } else if (!strcmp(argv[1], "combo")) {
        for (int i = 2; i < argc; i++) { org_kde_kwin_fake_input_keyboard_key(fi, atoi(argv[i]), 1); wl_display_roundtrip(dpy); usleep(20000); }
        for (int i = argc - 1; i >= 2; i--) { org_kde_kwin_fake_input_keyboard_key(fi, atoi(argv[i]), 0); wl_display_roundtrip(dpy); usleep(20000); }
    } else if (!strcmp(argv[1], "click") && argc == 4) {
        org_kde_kwin_fake_input_pointer_motion_absolute(fi, wl_fixed_from_int(atoi(argv[2])), wl_fixed_from_int(atoi(argv[3])));
        wl_display_roundtrip(dpy); usleep(20000);
        org_kde_kwin_fake_input_button(fi, 0x110, 1); wl_display_roundtrip(dpy); usleep(20000);
        org_kde_kwin_fake_input_button(fi, 0x110, 0);
    }
    wl_display_roundtrip(dpy);
    wl_display_disconnect(dpy);
    return 0;
}
