// Start-up of the calendar held against the least Qt Widgets program that maps
// a window of the same size (bench_floorwindow): the time from exec to the
// mapped 410 x 376 window and the resident memory 2 s later, median of 5 runs
// each, the two programs taken in turns within one run. Then the calendar's
// CPU use and wake-ups while it sits idle. Needs an X display (see
// run_gui_benchmarks.sh); every program runs with a fresh HOME, TMPDIR and
// XDG folders, so no user data and no running instance are touched.
//
//   bench_startup CALENDAR FLOOR [runs]
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int WindowWidth = 410;
constexpr int WindowHeight = 376;
constexpr auto MapTimeout = std::chrono::seconds(20);
constexpr auto MemoryDelay = std::chrono::seconds(2);
constexpr auto IdleSettle = std::chrono::seconds(3);
constexpr auto IdleSpan = std::chrono::seconds(10);

struct Sample {
    double MapMs = 0;
    double RssMb = 0;
    double PssMb = 0;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// A kB figure from a /proc file of "Key:   1234 kB" lines, in MB.
double procKbField(const std::string& Path, const std::string& Key) {
    std::ifstream in(Path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(Key, 0) == 0)
            return std::atof(line.c_str() + Key.size()) / 1024.0;
    }
    return -1;
}

// CPU time of every thread of the process, in ns, and its context switches.
struct CpuUse {
    double CpuNs = 0;
    long Switches = 0;
};

CpuUse cpuUse(pid_t Pid) {
    CpuUse use;
    const fs::path tasks = fs::path("/proc") / std::to_string(Pid) / "task";
    std::error_code ec;
    for (const auto& task : fs::directory_iterator(tasks, ec)) {
        std::ifstream sched(task.path() / "schedstat");
        double ns = 0;
        if (sched >> ns)
            use.CpuNs += ns;
        std::ifstream status(task.path() / "status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
                line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                use.Switches += std::atol(line.c_str() + line.find(':') + 1);
        }
    }
    return use;
}

// Watches the X server for a top-level window of the calendar's size being
// mapped. Set up before the program starts, so that no event is missed.
class MapWatcher {
public:
    MapWatcher() {
        int screenNumber = 0;
        FConn = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(FConn))
            return;
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(FConn));
        for (int i = 0; i < screenNumber; ++i)
            xcb_screen_next(&it);
        FRoot = it.data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(FConn, FRoot, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(FConn);
        FOk = true;
    }
    ~MapWatcher() {
        if (FConn)
            xcb_disconnect(FConn);
    }
    bool Ok() const { return FOk; }

    // Waits until a window of the calendar's size is mapped; false on timeout.
    bool Wait(Clock::time_point Deadline) {
        const int fd = xcb_get_file_descriptor(FConn);
        while (Clock::now() < Deadline) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(FConn)) {
                const bool mapped = handle(event);
                std::free(event);
                if (mapped)
                    return true;
            }
            if (xcb_connection_has_error(FConn))
                return false;
            pollfd p{fd, POLLIN, 0};
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - Clock::now());
            ::poll(&p, 1, int(std::max<long long>(1, left.count())));
        }
        return false;
    }

private:
    bool handle(xcb_generic_event_t* Event) {
        switch (Event->response_type & 0x7f) {
        case XCB_CREATE_NOTIFY: {
            auto* e = reinterpret_cast<xcb_create_notify_event_t*>(Event);
            if (e->override_redirect || e->width != WindowWidth || e->height != WindowHeight)
                return false;
            FWatched.push_back(e->window);
            // Its own map event reaches us also after a window manager has
            // reparented it into a frame.
            const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            xcb_change_window_attributes(FConn, e->window, XCB_CW_EVENT_MASK, &mask);
            // It may have been mapped before the mask took effect.
            xcb_get_window_attributes_reply_t* a = xcb_get_window_attributes_reply(
                FConn, xcb_get_window_attributes(FConn, e->window), nullptr);
            const bool viewable = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
            std::free(a);
            return viewable;
        }
        case XCB_MAP_NOTIFY: {
            auto* e = reinterpret_cast<xcb_map_notify_event_t*>(Event);
            return std::find(FWatched.begin(), FWatched.end(), e->window) != FWatched.end();
        }
        default:
            return false;
        }
    }

    xcb_connection_t* FConn = nullptr;
    xcb_window_t FRoot = 0;
    std::vector<xcb_window_t> FWatched;
    bool FOk = false;
};

class Sandbox {
public:
    Sandbox() {
        char pattern[] = "/tmp/vorn-bench-XXXXXX";
        if (char* dir = ::mkdtemp(pattern))
            FDir = dir;
    }
    ~Sandbox() {
        std::error_code ec;
        if (!FDir.empty())
            fs::remove_all(FDir, ec);
    }
    // The environment of a program started in the sandbox.
    std::vector<std::string> Environment() const {
        static const char* const Replaced[] = {
            "HOME=",           "TMPDIR=",         "XDG_DATA_HOME=", "XDG_CONFIG_HOME=",
            "XDG_CACHE_HOME=", "XDG_RUNTIME_DIR="};
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            const bool replaced =
                std::any_of(std::begin(Replaced), std::end(Replaced),
                            [&](const char* k) { return entry.rfind(k, 0) == 0; });
            if (!replaced)
                env.push_back(entry);
        }
        for (const char* sub : {"home", "tmp", "data", "config", "cache", "run"})
            fs::create_directories(FDir / sub);
        fs::permissions(FDir / "run", fs::perms::owner_all, fs::perm_options::replace);
        env.push_back("HOME=" + (FDir / "home").string());
        env.push_back("TMPDIR=" + (FDir / "tmp").string());
        env.push_back("XDG_DATA_HOME=" + (FDir / "data").string());
        env.push_back("XDG_CONFIG_HOME=" + (FDir / "config").string());
        env.push_back("XDG_CACHE_HOME=" + (FDir / "cache").string());
        env.push_back("XDG_RUNTIME_DIR=" + (FDir / "run").string());
        return env;
    }

private:
    fs::path FDir;
};

pid_t start(const std::string& Program, const std::vector<std::string>& Env) {
    std::vector<char*> argv{const_cast<char*>(Program.c_str()), nullptr};
    std::vector<char*> envp;
    for (const std::string& e : Env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    pid_t pid = 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Keep the figures readable: the programs' own chatter goes nowhere.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawn(&pid, Program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

void stop(pid_t Pid) {
    ::kill(Pid, SIGTERM);
    bool ended = false;
    for (int i = 0; i < 100 && !ended; ++i) {
        int status = 0;
        ended = ::waitpid(Pid, &status, WNOHANG) == Pid;
        if (!ended)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!ended) {
        ::kill(Pid, SIGKILL);
        ::waitpid(Pid, nullptr, 0);
    }
    // Let the X server and the window manager finish with the old window
    // before the next start is timed.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
}

// Starts Program, waits for its window, and with Keep leaves it running.
std::optional<Sample> measure(const std::string& Program, pid_t* Keep = nullptr) {
    Sandbox sandbox;
    const std::vector<std::string> env = sandbox.Environment();
    MapWatcher watcher;
    if (!watcher.Ok()) {
        std::fprintf(stderr, "no X display\n");
        return std::nullopt;
    }
    const Clock::time_point t0 = Clock::now();
    const pid_t pid = start(Program, env);
    if (pid < 0) {
        std::fprintf(stderr, "cannot start %s\n", Program.c_str());
        return std::nullopt;
    }
    if (!watcher.Wait(t0 + MapTimeout)) {
        std::fprintf(stderr, "%s mapped no %dx%d window\n", Program.c_str(), WindowWidth,
                     WindowHeight);
        stop(pid);
        return std::nullopt;
    }
    Sample s;
    s.MapMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    std::this_thread::sleep_for(MemoryDelay);
    const std::string proc = "/proc/" + std::to_string(pid);
    s.RssMb = procKbField(proc + "/status", "VmRSS:");
    s.PssMb = procKbField(proc + "/smaps_rollup", "Pss:");
    if (Keep)
        *Keep = pid;
    else
        stop(pid);
    return s;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s CALENDAR FLOOR [runs]\n", argv[0]);
        return 2;
    }
    const std::string calendar = fs::absolute(argv[1]).string();
    const std::string floor = fs::absolute(argv[2]).string();
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;

    // One unmeasured start of each, so that both find their files in the
    // page cache.
    for (const std::string& p : {floor, calendar}) {
        if (!measure(p))
            return 1;
    }

    std::vector<double> calMap, calRss, calPss, floorMap, floorRss, floorPss;
    for (int i = 0; i < runs; ++i) {
        const auto f = measure(floor);
        const auto c = measure(calendar);
        if (!f || !c)
            return 1;
        floorMap.push_back(f->MapMs);
        floorRss.push_back(f->RssMb);
        floorPss.push_back(f->PssMb);
        calMap.push_back(c->MapMs);
        calRss.push_back(c->RssMb);
        calPss.push_back(c->PssMb);
        std::printf("run %d: floor %6.1f ms %5.1f MB   calendar %6.1f ms %5.1f MB\n", i + 1,
                    f->MapMs, f->RssMb, c->MapMs, c->RssMb);
    }

    const double fm = median(floorMap);
    const double cm = median(calMap);
    const double cr = median(calRss);
    std::printf("\nmedian of %d runs      exec to mapped window   resident 2 s later (PSS)\n",
                runs);
    std::printf("  floor (Qt Widgets)   %8.1f ms               %6.1f MB (%5.1f MB)\n", fm,
                median(floorRss), median(floorPss));
    std::printf("  vorncalendar         %8.1f ms               %6.1f MB (%5.1f MB)\n", cm, cr,
                median(calPss));
    const double ratio = cm / fm;
    std::printf("start-up ratio %.2f x the floor (goal at most 1.50): %s\n", ratio,
                ratio <= 1.5 ? "met" : "NOT met");
    std::printf("resident memory %.1f MB (goal at most 45 MB): %s\n", cr,
                cr <= 45 ? "met" : "NOT met");

    // Idle: the calendar on screen, nobody touching it.
    pid_t pid = -1;
    if (!measure(calendar, &pid))
        return 1;
    std::this_thread::sleep_for(IdleSettle);
    const CpuUse before = cpuUse(pid);
    std::this_thread::sleep_for(IdleSpan);
    const CpuUse after = cpuUse(pid);
    stop(pid);
    const double seconds = std::chrono::duration<double>(IdleSpan).count();
    const double cpuMs = (after.CpuNs - before.CpuNs) / 1e6;
    std::printf("idle for %.0f s: %.2f ms CPU (%.3f %% of one core), %.1f wake-ups/s\n", seconds,
                cpuMs, cpuMs / (seconds * 10), double(after.Switches - before.Switches) / seconds);
    return 0;
}
