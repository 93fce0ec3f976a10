// Whole-program start-up: the time from starting vyn-player to its main window being mapped
// on the X server, and the program's resident memory once shown. Runs under Xvfb without a
// window manager, so top-level windows are mapped directly as children of the root window.
//
// startup PLAYER [RUNS]
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

long ResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

std::string WindowName(xcb_connection_t* c, xcb_window_t w) {
    auto cookie = xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr);
    if (!reply) return {};
    std::string name(static_cast<const char*>(xcb_get_property_value(reply)),
                     static_cast<size_t>(xcb_get_property_value_length(reply)));
    free(reply);
    return name;
}

struct Sample {
    double milliseconds;
    long rssKiB;
};

Sample RunOnce(xcb_connection_t* c, xcb_window_t root, const char* player) {
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(player), nullptr};
    if (posix_spawn(&pid, player, nullptr, nullptr, argv, environ) != 0) {
        std::perror("posix_spawn");
        std::exit(1);
    }
    double ms = -1;
    while (ms < 0) {
        xcb_generic_event_t* event = xcb_wait_for_event(c);
        if (!event) break;
        if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY) {
            auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            if (map->event == root && WindowName(c, map->window) == "Vyn Player")
                ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                               start)
                         .count();
        }
        free(event);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // let it settle
    const long rss = ResidentKiB(pid);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return {ms, rss};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup PLAYER [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 11;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "startup: no X server (run under xvfb-run)\n");
        return 1;
    }
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);

    RunOnce(c, root, argv[1]);  // warm the file cache
    std::vector<Sample> samples;
    for (int i = 0; i < runs; ++i) samples.push_back(RunOnce(c, root, argv[1]));
    auto median = [&](auto field) {
        std::vector<double> v;
        for (const Sample& s : samples) v.push_back(field(s));
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("start-up to main window shown: median %.1f ms over %d runs\n",
                median([](const Sample& s) { return s.milliseconds; }), runs);
    std::printf("resident memory once shown: median %.1f MB\n",
                median([](const Sample& s) { return s.rssKiB / 1024.0; }));
    xcb_disconnect(c);
    return 0;
}
