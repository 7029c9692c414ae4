#include "app/wayland_input.h"

#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace arlo::app {
namespace {

// The few entry points of libwayland-client that asking for the globals needs. The library
// is opened only where a compositor may be reached (Qt's Wayland client links it anyway).
struct WlDisplay;
struct WlProxy;
struct WlInterface;

struct RegistryListener {
    void (*global)(void* data, WlProxy* registry, std::uint32_t name, const char* interface,
                   std::uint32_t version);
    void (*globalRemove)(void* data, WlProxy* registry, std::uint32_t name);
};

struct Api {
    WlDisplay* (*connect)(const char*) = nullptr;
    void (*disconnect)(WlDisplay*) = nullptr;
    int (*roundtrip)(WlDisplay*) = nullptr;
    WlProxy* (*marshalFlags)(WlProxy*, std::uint32_t, const WlInterface*, std::uint32_t,
                             std::uint32_t, ...) = nullptr;
    std::uint32_t (*version)(WlProxy*) = nullptr;
    int (*addListener)(WlProxy*, void (**)(void), void*) = nullptr;
    void (*destroy)(WlProxy*) = nullptr;
    const WlInterface* registryInterface = nullptr;
};

constexpr std::uint32_t kDisplayGetRegistry = 1;  // wl_display.get_registry

template <typename T>
bool resolve(void* library, const char* name, T& out) {
    out = reinterpret_cast<T>(dlsym(library, name));
    return out != nullptr;
}

bool load(void* library, Api& api) {
    return resolve(library, "wl_display_connect", api.connect) &&
           resolve(library, "wl_display_disconnect", api.disconnect) &&
           resolve(library, "wl_display_roundtrip", api.roundtrip) &&
           resolve(library, "wl_proxy_marshal_flags", api.marshalFlags) &&
           resolve(library, "wl_proxy_get_version", api.version) &&
           resolve(library, "wl_proxy_add_listener", api.addListener) &&
           resolve(library, "wl_proxy_destroy", api.destroy) &&
           resolve(library, "wl_registry_interface", api.registryInterface);
}

void noteGlobal(void* data, WlProxy*, std::uint32_t, const char* interface, std::uint32_t) {
    if (std::strcmp(interface, "wl_seat") == 0) {
        *static_cast<bool*>(data) = true;
    }
}

void ignoreRemoval(void*, WlProxy*, std::uint32_t) {}

// Whether the compositor Qt would connect to announces a seat; nothing when there is none to
// ask.
std::optional<bool> compositorHasSeat(const Api& api) {
    WlDisplay* display = api.connect(nullptr);
    if (display == nullptr) {
        return std::nullopt;
    }
    auto* displayProxy = reinterpret_cast<WlProxy*>(display);
    WlProxy* registry = api.marshalFlags(displayProxy, kDisplayGetRegistry, api.registryInterface,
                                         api.version(displayProxy), 0, nullptr);
    static RegistryListener listener{noteGlobal, ignoreRemoval};
    bool seat = false;
    std::optional<bool> answer;
    if (registry != nullptr &&
        api.addListener(registry, reinterpret_cast<void (**)(void)>(&listener), &seat) == 0 &&
        api.roundtrip(display) >= 0) {
        answer = seat;
    }
    if (registry != nullptr) {
        api.destroy(registry);
    }
    api.disconnect(display);
    return answer;
}

}  // namespace

void avoidTextInputWithoutSeat() {
    // A chosen module stays; a socket handed over by the parent (WAYLAND_SOCKET) can be used
    // once only, and it is Qt's. Without WAYLAND_DISPLAY only a Wayland platform asked for by
    // name connects (to the default display, as the probe does).
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool wayland = (display != nullptr && *display != '\0') ||
                         (platform != nullptr && std::strstr(platform, "wayland") != nullptr);
    if (!wayland || std::getenv("QT_IM_MODULE") != nullptr ||
        std::getenv("WAYLAND_SOCKET") != nullptr) {
        return;
    }
    void* library = dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return;  // then Qt's Wayland client cannot run either
    }
    Api api;
    if (load(library, api)) {
        const std::optional<bool> seat = compositorHasSeat(api);
        if (seat.has_value() && !*seat) {
            ::setenv("QT_IM_MODULE", "none", 1);
        }
    }
    dlclose(library);
}

}  // namespace arlo::app
