// Time from process start to the sign-in dialog being shown, against a minimal Qt program that
// shows an empty dialog of the same size (goal: at most 1.5 times as long). Each run is a fresh
// process: this program started again in one of its two child modes.
#include "app/application.h"
#include "context/installation.h"
#include "context/programcontext.h"
#include "datamodule/tdm_mb.h"
#include "platform/hostresolver.h"
#include "signin/widgets/tform8.h"

#include <QDialog>
#include <QWindow>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

const char* const SignInMode = "--child-signin";
const char* const EmptyMode = "--child-empty";

// Shown: exposed and painted once. The process then ends at once, without tearing anything down.
[[noreturn]] void showAndExit(QWidget& window) {
    window.show();
    while (window.windowHandle() == nullptr || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    window.repaint();
    std::_Exit(0);
}

[[noreturn]] void runChild(int argc, char** argv, const char* mode) {
    if (std::strcmp(mode, SignInMode) == 0) {
        Application app(argc, argv);
        const Installation installation = Installation::OfRunningProgram();
        const platform::SystemHostResolver resolver;
        TDM_MB dataModule;
        DM_MB = &dataModule;
        const ProgramContext context{installation, app, dataModule, resolver};
        TForm8 dialog(context);
        showAndExit(dialog);
    }
    QApplication app(argc, argv);
    QDialog dialog(nullptr, Qt::Dialog | Qt::FramelessWindowHint);
    dialog.setFixedSize(497, 273);
    showAndExit(dialog);
}

std::string SelfPath;

// Wall time of one child run, in seconds.
double timeChild(const char* mode) {
    char* args[] = {const_cast<char*>(SelfPath.c_str()), const_cast<char*>(mode), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, SelfPath.c_str(), nullptr, nullptr, args, environ) != 0)
        return -1;
    int status = 0;
    waitpid(child, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(end - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void BM_SignInDialogStartup(benchmark::State& state) {
    std::vector<double> signIn, empty;
    for (auto _ : state) {
        // Alternating, so that both see the same state of the machine.
        const double dialogTime = timeChild(SignInMode);
        empty.push_back(timeChild(EmptyMode));
        signIn.push_back(dialogTime);
        state.SetIterationTime(dialogTime);
    }
    state.counters["signin_ms"] = median(signIn) * 1000;
    state.counters["empty_dialog_ms"] = median(empty) * 1000;
    state.counters["ratio"] = median(signIn) / median(empty);
}
BENCHMARK(BM_SignInDialogStartup)->UseManualTime()->Iterations(15)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 2 && (std::strcmp(argv[1], SignInMode) == 0 || std::strcmp(argv[1], EmptyMode) == 0))
        runChild(argc, argv, argv[1]);
    SelfPath = "/proc/self/exe";
    char buffer[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length > 0)
        SelfPath.assign(buffer, static_cast<size_t>(length));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
