// Starts programs on an X display, one at a time and in turn, and measures
// each start as a user sees it: from fork to the first drawing into a mapped
// top-level window (the DAMAGE extension reports it as the X server executes
// it), and the peak resident memory of the process (wait4). The display must
// show nothing else: every new top-level window is taken as the program's.
//
//   startwatch [--runs N] [--warmup N] [--settle MS] [--timeout MS] [--csv FILE]
//              [--verbose] NAME=PROGRAM...
//
// Each program runs N times, in rounds whose order rotates, after the warm-up
// rounds. Each stays up MS milliseconds after its first paint (to see any
// further paints, and to let its memory settle), then gets SIGTERM. The first
// program is compared with each of the others. Also reported: the processor
// time of each run (user and system, nearly all of it before the first
// paint), which other work on the machine moves less than the elapsed time.

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

double NowMs() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double, std::milli>(now).count();
}

// Windows can vanish between an event and our request about them.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

struct Run {
    bool ok = false;
    double mappedMs = 0;       // the first top-level window mapped
    double paintedMs = 0;      // the first drawing into a mapped window
    double lastPaintMs = 0;    // the last drawing before the settle time ended
    int paints = 0;            // drawings seen until then
    bool wholeWindow = false;  // the first drawing covered the whole window
    long peakRssKiB = 0;
    double cpuMs = 0;  // user and system time of the whole run
};

struct Program {
    std::string name;
    std::string path;
    std::vector<Run> runs;
};

class Watcher {
public:
    explicit Watcher(bool quiet) : m_quiet(quiet) {
        m_display = XOpenDisplay(nullptr);
        if (m_display == nullptr) Fail("cannot open the X display (is DISPLAY set?)");
        int damageError = 0;
        if (!XDamageQueryExtension(m_display, &m_damageEvent, &damageError)) {
            Fail("the X server has no DAMAGE extension");
        }
        XSetErrorHandler(IgnoreXErrors);
        m_root = DefaultRootWindow(m_display);
        XSelectInput(m_display, m_root, SubstructureNotifyMask);
        XSync(m_display, False);
    }

    Run Start(const std::string& path, double settleMs, double timeoutMs) {
        Run run;
        m_damages.clear();
        m_mapped.clear();
        std::optional<double> mapped;
        std::optional<double> painted;
        double lastPaint = 0;

        const double start = NowMs();
        const pid_t pid = fork();
        if (pid < 0) Fail("fork failed");
        if (pid == 0) {
            if (m_quiet) {
                const int null = open("/dev/null", O_WRONLY);
                dup2(null, STDOUT_FILENO);
                dup2(null, STDERR_FILENO);
            }
            execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }

        rusage usage{};
        int status = 0;
        bool exited = false;
        const int fd = ConnectionNumber(m_display);
        for (;;) {
            while (XPending(m_display) > 0) {
                XEvent event;
                XNextEvent(m_display, &event);
                const double at = NowMs() - start;
                if (event.type == CreateNotify && event.xcreatewindow.parent == m_root) {
                    Track(event.xcreatewindow.window);
                } else if (event.type == MapNotify && event.xmap.event == m_root) {
                    Track(event.xmap.window);
                    m_mapped.insert(event.xmap.window);
                    if (!mapped) mapped = at;
                } else if (event.type == DestroyNotify && event.xdestroywindow.event == m_root) {
                    m_damages.erase(event.xdestroywindow.window);
                    m_mapped.erase(event.xdestroywindow.window);
                } else if (event.type == m_damageEvent + XDamageNotify) {
                    const auto& damage = reinterpret_cast<const XDamageNotifyEvent&>(event);
                    XDamageSubtract(m_display, damage.damage, None, None);
                    if (m_mapped.count(damage.drawable) == 0) continue;
                    if (!painted) {
                        painted = at;
                        run.wholeWindow = damage.area.width >= damage.geometry.width &&
                                          damage.area.height >= damage.geometry.height;
                    }
                    lastPaint = at;
                    ++run.paints;
                }
            }
            const double now = NowMs() - start;
            if (painted && now >= *painted + settleMs) break;
            if (now >= timeoutMs) break;
            if (wait4(pid, &status, WNOHANG, &usage) == pid) {
                exited = true;
                break;
            }
            pollfd poller{fd, POLLIN, 0};
            poll(&poller, 1, 5);
        }

        if (!exited) {
            kill(pid, SIGTERM);
            wait4(pid, &status, 0, &usage);
        }
        Drain();

        run.ok = painted.has_value() && !exited;
        run.mappedMs = mapped.value_or(0);
        run.paintedMs = painted.value_or(0);
        run.lastPaintMs = lastPaint;
        run.peakRssKiB = usage.ru_maxrss;
        run.cpuMs = (static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3);
        return run;
    }

private:
    [[noreturn]] static void Fail(const char* why) {
        std::fprintf(stderr, "startwatch: %s\n", why);
        std::exit(2);
    }

    void Track(Window window) {
        if (m_damages.count(window) == 0) {
            m_damages[window] = XDamageCreate(m_display, window, XDamageReportNonEmpty);
            XFlush(m_display);
        }
    }

    // Waits until the ended program's windows are gone, so that none of its
    // events is taken for the next program's.
    void Drain() {
        const double until = NowMs() + 2000;
        while (NowMs() < until) {
            XSync(m_display, False);
            while (XPending(m_display) > 0) {
                XEvent event;
                XNextEvent(m_display, &event);
                if (event.type == DestroyNotify && event.xdestroywindow.event == m_root) {
                    m_damages.erase(event.xdestroywindow.window);
                }
            }
            if (m_damages.empty()) return;
            usleep(2000);
        }
    }

    bool m_quiet;
    Display* m_display = nullptr;
    Window m_root = 0;
    int m_damageEvent = 0;
    std::map<Window, Damage> m_damages;
    std::set<Window> m_mapped;
};

double Quantile(std::vector<double> values, double q) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const double position = q * static_cast<double>(values.size() - 1);
    const auto below = static_cast<std::size_t>(position);
    const std::size_t above = std::min(below + 1, values.size() - 1);
    const double fraction = position - static_cast<double>(below);
    return values[below] * (1 - fraction) + values[above] * fraction;
}

template <typename Field>
std::vector<double> Column(const Program& program, Field field) {
    std::vector<double> values;
    for (const Run& run : program.runs) {
        if (run.ok) values.push_back(static_cast<double>(run.*field));
    }
    return values;
}

void Usage() {
    std::fprintf(
        stderr,
        "usage: startwatch [--runs N] [--warmup N] [--settle MS] [--timeout MS] [--csv FILE]"
        " [--verbose] NAME=PROGRAM...\n");
    std::exit(2);
}

}  // namespace

int main(int argc, char* argv[]) {
    int runs = 30;
    int warmup = 3;
    double settleMs = 300;
    double timeoutMs = 20000;
    bool verbose = false;
    std::string csvPath;
    std::vector<Program> programs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&] {
            if (i + 1 >= argc) Usage();
            return std::string(argv[++i]);
        };
        if (arg == "--runs") {
            runs = std::atoi(value().c_str());
        } else if (arg == "--warmup") {
            warmup = std::atoi(value().c_str());
        } else if (arg == "--settle") {
            settleMs = std::atof(value().c_str());
        } else if (arg == "--timeout") {
            timeoutMs = std::atof(value().c_str());
        } else if (arg == "--csv") {
            csvPath = value();
        } else if (arg == "--verbose") {
            verbose = true;
        } else if (const auto equals = arg.find('=');
                   equals != std::string::npos && arg[0] != '-') {
            programs.push_back({arg.substr(0, equals), arg.substr(equals + 1), {}});
        } else {
            Usage();
        }
    }
    if (programs.empty() || runs < 1) Usage();

    Watcher watcher(!verbose);
    const std::size_t count = programs.size();
    for (int round = -warmup; round < runs; ++round) {
        // Alternate which program goes first, so that neither always follows the other.
        for (std::size_t k = 0; k < count; ++k) {
            Program& program = programs[(k + static_cast<std::size_t>(round + warmup)) % count];
            const Run run = watcher.Start(program.path, settleMs, timeoutMs);
            if (!run.ok)
                std::fprintf(stderr, "startwatch: %s: no paint seen\n", program.name.c_str());
            if (round >= 0) program.runs.push_back(run);
            if (verbose) {
                std::fprintf(
                    stderr,
                    "%s%s mapped %.1f ms, painted %.1f ms (%s), last %.1f ms, %d paints, %ld KiB, "
                    "cpu %.1f ms\n",
                    round < 0 ? "(warm-up) " : "", program.name.c_str(), run.mappedMs,
                    run.paintedMs, run.wholeWindow ? "whole window" : "part", run.lastPaintMs,
                    run.paints, run.peakRssKiB, run.cpuMs);
            }
        }
    }

    if (!csvPath.empty()) {
        if (FILE* csv = std::fopen(csvPath.c_str(), "w")) {
            std::fprintf(
                csv,
                "program,run,ok,mapped_ms,painted_ms,last_paint_ms,paints,peak_rss_kib,cpu_ms\n");
            for (const Program& program : programs) {
                for (std::size_t i = 0; i < program.runs.size(); ++i) {
                    const Run& r = program.runs[i];
                    std::fprintf(csv, "%s,%zu,%d,%.3f,%.3f,%.3f,%d,%ld,%.3f\n",
                                 program.name.c_str(), i + 1, r.ok, r.mappedMs, r.paintedMs,
                                 r.lastPaintMs, r.paints, r.peakRssKiB, r.cpuMs);
                }
            }
            std::fclose(csv);
        }
    }

    std::printf("%-10s %5s %10s %10s %10s %10s %12s %10s %12s\n", "program", "runs", "painted",
                "p25", "p75", "mapped", "last paint", "cpu", "peak RSS");
    std::printf("%-10s %5s %10s %10s %10s %10s %12s %10s %12s\n", "", "", "median ms", "ms", "ms",
                "median ms", "median ms", "median ms", "median KiB");
    for (const Program& p : programs) {
        const auto painted = Column(p, &Run::paintedMs);
        std::printf("%-10s %5zu %10.1f %10.1f %10.1f %10.1f %12.1f %10.1f %12.0f\n", p.name.c_str(),
                    painted.size(), Quantile(painted, 0.5), Quantile(painted, 0.25),
                    Quantile(painted, 0.75), Quantile(Column(p, &Run::mappedMs), 0.5),
                    Quantile(Column(p, &Run::lastPaintMs), 0.5),
                    Quantile(Column(p, &Run::cpuMs), 0.5),
                    Quantile(Column(p, &Run::peakRssKiB), 0.5));
    }
    const Program& ours = programs.front();
    for (std::size_t k = 1; k < count; ++k) {
        const Program& other = programs[k];
        auto ratio = [&](auto field) {
            return Quantile(Column(ours, field), 0.5) / Quantile(Column(other, field), 0.5);
        };
        // Runs of one round are neighbours in time: their ratio is the
        // least moved by other work on the machine.
        std::vector<double> pairs;
        for (std::size_t i = 0; i < ours.runs.size() && i < other.runs.size(); ++i) {
            if (ours.runs[i].ok && other.runs[i].ok) {
                pairs.push_back(ours.runs[i].paintedMs / other.runs[i].paintedMs);
            }
        }
        std::printf(
            "ratio %s/%s: start to first paint %.3f (median of the %zu rounds' own ratios %.3f), "
            "peak RSS %.3f, cpu %.3f\n",
            ours.name.c_str(), other.name.c_str(), ratio(&Run::paintedMs), pairs.size(),
            Quantile(pairs, 0.5), ratio(&Run::peakRssKiB), ratio(&Run::cpuMs));
    }
    for (const Program& p : programs) {
        for (const Run& r : p.runs) {
            if (!r.ok) return 1;
        }
    }
    return 0;
}
