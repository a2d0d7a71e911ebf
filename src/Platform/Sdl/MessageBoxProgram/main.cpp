// skylet-message-box: shows one message box with SDL and answers with the pressed button's id as
// its exit status. The editor runs it beside its own event loop, so its windows keep painting
// while the box is up and a signal to the editor ends the box.
//   skylet-message-box ICON OWNER CAPTION TEXT CLOSED ESCAPE ID=LABEL...
// ICON: error, warning, information or empty for none. OWNER: the X window the box stays above
// (decimal), 0 for none. CLOSED: the answer when the box is closed without a button. ESCAPE: the
// id of the Escape key's button, 0 for none. The buttons go left to right, the first is the
// Return key's. Ids are 1 to 255. Exit status 0: no box was shown, and standard output says why.
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// Leaves at once: nothing of SDL's or the sanitizers' exit work may change the answer.
[[noreturn]] void Answer(int id) {
    std::fflush(stdout);
    ::_exit(id);
}

// SDL shows the box from a process of its own that it forks: a request to end goes to the whole
// group, so that the box ends with this program.
void EndTheGroup(int signal) {
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    ::kill(0, signal);
}

[[noreturn]] void NotShown(const std::string& why) {
    std::fputs(why.c_str(), stdout);
    Answer(0);
}

// A whole decimal number in [low, high], else -1.
long long ParseNumber(const char* text, long long low, long long high) {
    if (text == nullptr || *text < '0' || *text > '9') {
        return -1;
    }
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    return *end == '\0' && value >= low && value <= high ? value : -1;
}

}  // namespace

int main(int argc, char** argv) {
    constexpr int kFirstButton = 7;
    if (argc <= kFirstButton) {
        NotShown("usage: skylet-message-box ICON OWNER CAPTION TEXT CLOSED ESCAPE ID=LABEL...");
    }
    const std::string icon = argv[1];
    const long long owner = ParseNumber(argv[2], 0, INT64_MAX);
    const long long closed = ParseNumber(argv[5], 1, 255);
    const long long escape = ParseNumber(argv[6], 0, 255);
    if (owner < 0 || closed < 0 || escape < 0) {
        NotShown("the owner, the close answer or the Escape key's button is not a number");
    }
    std::vector<std::string> labels;
    std::vector<SDL_MessageBoxButtonData> buttons;
    labels.reserve(static_cast<size_t>(argc - kFirstButton));
    for (int i = kFirstButton; i < argc; ++i) {
        const std::string button = argv[i];
        const size_t equals = button.find('=');
        const long long id =
            equals == std::string::npos ? -1 : ParseNumber(button.substr(0, equals).c_str(), 1, 255);
        if (id < 0) {
            NotShown("a button is not ID=LABEL: " + button);
        }
        labels.push_back(button.substr(equals + 1));
        SDL_MessageBoxButtonData data{};
        data.buttonid = static_cast<int>(id);
        data.text = labels.back().c_str();
        if (i == kFirstButton) {
            data.flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        }
        if (id == escape) {
            data.flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        }
        buttons.push_back(data);
    }
    uint32_t flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    if (icon == "error") {
        flags |= SDL_MESSAGEBOX_ERROR;
    } else if (icon == "warning") {
        flags |= SDL_MESSAGEBOX_WARNING;
    } else if (icon == "information") {
        flags |= SDL_MESSAGEBOX_INFORMATION;
    }

    // A signal ends this program and its box (the editor asks it to end when it ends itself); SDL
    // would turn it into a quit event that the box never reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    ::setpgid(0, 0);
    struct sigaction ending {};
    ending.sa_handler = &EndTheGroup;
    sigemptyset(&ending.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signal, &ending, nullptr);
    }
    // A box outlives no editor: one that ends without asking (killed, crashed) ends it too.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    // The owner's window stands in as the box's parent, so the window manager keeps the box above
    // it. Without one (another video driver, a window already gone) the box stands on its own.
    SDL_Window* parent = nullptr;
    if (owner != 0 && SDL_Init(SDL_INIT_VIDEO) == 0) {
        parent = SDL_CreateWindowFrom(reinterpret_cast<void*>(static_cast<uintptr_t>(owner)));
    }
    const SDL_MessageBoxData data = {
        flags, parent, argv[3], argv[4], static_cast<int>(buttons.size()), buttons.data(), nullptr};
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        NotShown(SDL_GetError());
    }
    Answer(pressed < 0 ? static_cast<int>(closed) : pressed);
}
