// kwin_tool key CODE | scale OUTPUT SCALE: through KWin's own protocols, a
// tap of the Linux key code CODE (fake input), or OUTPUT set to SCALE (output
// management); exit code 0 once KWin took it.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wayland-client.h>

#include "fake-input-client-protocol.h"
#include "kde-output-device-v2-client-protocol.h"
#include "kde-output-management-v2-client-protocol.h"

static struct org_kde_kwin_fake_input* fake_input;
static struct kde_output_management_v2* management;
static struct kde_output_device_v2* devices[16];
static const char* device_names[16];
static int device_count, result = -1;

// Only the events named here matter: a dispatcher takes them by name, and
// drops the many others these interfaces send.
static int on_event(const void* data, void* proxy, uint32_t opcode, const struct wl_message* event,
                    union wl_argument* args) {
    (void)data, (void)opcode;
    if (!strcmp(event->name, "name"))
        for (int i = 0; i < device_count; i++)
            if (devices[i] == proxy) device_names[i] = strdup(args[0].s);
    if (!strcmp(event->name, "applied")) result = 0;
    if (!strcmp(event->name, "failed")) result = 1;
    return 0;
}

static void on_global(void* data, struct wl_registry* registry, uint32_t name,
                      const char* interface, uint32_t version) {
    (void)data;
    if (!strcmp(interface, "org_kde_kwin_fake_input") && version >= 4)
        fake_input = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
    if (!strcmp(interface, "kde_output_management_v2"))
        management = wl_registry_bind(registry, name, &kde_output_management_v2_interface, 1);
    if (!strcmp(interface, "kde_output_device_v2") && version >= 2 && device_count < 16) {
        devices[device_count] =
            wl_registry_bind(registry, name, &kde_output_device_v2_interface, 2);
        wl_proxy_add_dispatcher((struct wl_proxy*)devices[device_count++], on_event, NULL, NULL);
    }
}
static void on_global_remove(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}

int main(int argc, char** argv) {
    struct wl_display* display = wl_display_connect(NULL);
    if (!display || argc < 3) {
        fprintf(stderr, "usage: kwin_tool key CODE | scale OUTPUT SCALE (in a Wayland session)\n");
        return 2;
    }
    static const struct wl_registry_listener listener = {on_global, on_global_remove};
    wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
    wl_display_roundtrip(display);
    wl_display_roundtrip(display);  // the outputs' names
    if (!strcmp(argv[1], "key") && fake_input) {
        org_kde_kwin_fake_input_authenticate(fake_input, "zarvella tests", "end to end");
        org_kde_kwin_fake_input_keyboard_key(fake_input, (uint32_t)atoi(argv[2]), 1);
        org_kde_kwin_fake_input_keyboard_key(fake_input, (uint32_t)atoi(argv[2]), 0);
        return wl_display_roundtrip(display) < 0;
    }
    for (int i = 0; i < device_count && argc > 3 && management; i++) {
        if (!device_names[i] || strcmp(device_names[i], argv[2])) continue;
        struct kde_output_configuration_v2* config =
            kde_output_management_v2_create_configuration(management);
        wl_proxy_add_dispatcher((struct wl_proxy*)config, on_event, NULL, NULL);
        kde_output_configuration_v2_scale(config, devices[i], wl_fixed_from_double(atof(argv[3])));
        kde_output_configuration_v2_apply(config);
        while (result < 0 && wl_display_dispatch(display) >= 0) continue;
        return result != 0;
    }
    fprintf(stderr, "kwin_tool: no such output or protocol here\n");
    return 1;
}
