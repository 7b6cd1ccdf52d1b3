// Time from process start to the sign-in dialog on the screen: the real program, started as a user
// starts it and told by ZOR27_EXIT_WHEN_SIGNIN_SHOWN to end once its sign-in dialog has been
// painted, against a minimal Qt program that shows the same dialog with nothing behind it (no data
// module, no main window, no translation): the same two pictures decoded at the dialog's width on
// threads of their own while the rest is built, as the program does, the labels, the four edits
// and the three flat buttons (goal: at most 1.0 times as long). Each run is a fresh process; the
// minimal program is this program started again in its child mode.
#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QToolButton>
#include <QWindow>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

const char* const MinimalMode = "--child-minimal";

// Shown: exposed and painted once. The process then ends at once, without tearing anything down.
[[noreturn]] void showAndExit(QWidget& window) {
    window.show();
    while (window.windowHandle() == nullptr || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    window.repaint();
    std::_Exit(0);
}

// The sign-in dialog as a plain Qt program would build it.
[[noreturn]] void runMinimalDialog(int argc, char** argv) {
    QApplication app(argc, argv);
    QDialog dialog(nullptr, Qt::Dialog | Qt::FramelessWindowHint);
    dialog.setWindowTitle(QString::fromUtf8("Аутентификация"));
    dialog.setFixedSize(497, 273);
    // Each picture decoded on a thread of its own at the size it is shown, while the rest is built.
    const auto decode = [](const char* resource, int width) {
        return std::async(std::launch::async, [resource, width] {
            QImageReader reader(QString::fromLatin1(resource));
            const QSize stored = reader.size();
            reader.setScaledSize(QSize(width, stored.height() * width / stored.width()));
            return reader.read();
        });
    };
    std::future<QImage> top = decode(":/pictures/signin-top.jpg", 497);
    std::future<QImage> panel = decode(":/pictures/signin-panel.jpg", 497);
    const auto picture = [&dialog](const QRect& box) {
        auto* label = new QLabel(&dialog);
        label->setGeometry(box);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    };
    QLabel* topLabel = picture(QRect(0, 0, 497, 278));
    QLabel* panelLabel = picture(QRect(0, 277, 497, 139));
    auto* status = new QLabel(&dialog);
    status->setGeometry(60, 107, 329, 78);
    status->setAlignment(Qt::AlignCenter);
    status->setWordWrap(true);
    QFont statusFont(QStringLiteral("Arial"));
    statusFont.setPointSize(10);
    statusFont.setBold(true);
    status->setFont(statusFont);
    auto* version = new QLabel(QStringLiteral("V.1"), &dialog);
    version->move(6, 5);
    version->adjustSize();
    for (const QRect& box : {QRect(349, 200, 55, 20), QRect(418, 199, 67, 22), QRect(346, 236, 139, 22)}) {
        auto* button = new QToolButton(&dialog);
        button->setGeometry(box);
        button->setAutoRaise(true);
    }
    const struct {
        QRect box;
        bool masked;
    } edits[] = {{{146, 202, 187, 21}, false},
                 {{146, 238, 187, 21}, true},
                 {{148, 309, 186, 21}, true},
                 {{148, 345, 186, 21}, true}};
    for (const auto& e : edits) {
        auto* edit = new QLineEdit(&dialog);
        edit->setGeometry(e.box);
        edit->setFrame(false);
        if (e.masked)
            edit->setEchoMode(QLineEdit::Password);
    }
    topLabel->setPixmap(QPixmap::fromImage(top.get()));
    panelLabel->setPixmap(QPixmap::fromImage(panel.get()));
    showAndExit(dialog);
}

std::string SelfPath;

// Wall time of one run of a program, in seconds; negative when it could not run or failed.
double timeRun(const std::string& program, const char* argument, char** environment) {
    char* args[] = {const_cast<char*>(program.c_str()), const_cast<char*>(argument), nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &quiet, nullptr, args, environment);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0)
        return -1;
    int status = 0;
    waitpid(child, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return std::chrono::duration<double>(end - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void BM_SignInDialogStartup(benchmark::State& state) {
    // The program's environment plus the variable that ends it once its dialog is painted.
    std::vector<std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable)
        variables.emplace_back(*variable);
    variables.emplace_back("ZOR27_EXIT_WHEN_SIGNIN_SHOWN=1");
    std::vector<char*> programEnvironment;
    for (std::string& variable : variables)
        programEnvironment.push_back(variable.data());
    programEnvironment.push_back(nullptr);

    std::vector<double> program, minimal;
    for (auto _ : state) {
        // Alternating, so that both see the same state of the machine.
        const double programTime = timeRun(ZOR27_PROGRAM, nullptr, programEnvironment.data());
        const double minimalTime = timeRun(SelfPath, MinimalMode, environ);
        if (programTime < 0 || minimalTime < 0) {
            state.SkipWithError("a child did not show its dialog");
            return;
        }
        program.push_back(programTime);
        minimal.push_back(minimalTime);
        state.SetIterationTime(programTime);
    }
    state.counters["program_ms"] = median(program) * 1000;
    state.counters["minimal_dialog_ms"] = median(minimal) * 1000;
    state.counters["ratio"] = median(program) / median(minimal);
}
BENCHMARK(BM_SignInDialogStartup)->UseManualTime()->Iterations(15)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 2 && std::strcmp(argv[1], MinimalMode) == 0)
        runMinimalDialog(argc, argv);
    char buffer[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    SelfPath = length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string(argv[0]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
