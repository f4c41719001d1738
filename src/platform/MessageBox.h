#pragma once
// Modal messages to the user. The program calls MessageBox as it would the
// platform's; what the user actually sees depends on the Notifier installed:
// a real message box in the window, standard error in the CLI, a recorder in
// the tests.
#include <string>

namespace pivra {

// Styles, as the window system numbers them.
enum : int { MB_OK = 0, MB_ICONEXCLAMATION = 48 };

class Notifier {
public:
    virtual ~Notifier() = default;
    virtual void show(const std::string& prompt, int style, const std::string& title) = 0;
};

// Shows one message through the installed notifier (standard error when none is).
void MessageBox(const std::string& prompt, int style, const std::string& title);

// Installs a notifier for the lifetime of this object, then puts back the previous one.
class ScopedNotifier {
public:
    explicit ScopedNotifier(Notifier& n);
    ~ScopedNotifier();
    ScopedNotifier(const ScopedNotifier&) = delete;
    ScopedNotifier& operator=(const ScopedNotifier&) = delete;

private:
    Notifier* previous_;
};

// The application's title, used on its own message boxes.
inline const char* const AppTitle = "PIVRA";

}  // namespace pivra
