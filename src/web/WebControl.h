#pragma once
// The web page as a part of the running program, the same for the window and the headless
// service: it starts the server when the page is switched on, carries out the changes the
// pages send on the program's thread through the actions every view uses, and publishes the
// state after each engine tick. The front end watches Fd on its loop and then calls Serve.

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "core/Console.h"
#include "core/Program.h"
#include "core/ProgramActions.h"
#include "core/ProgramModel.h"
#include "web/WebMessages.h"
#include "web/WebServer.h"
#include "web/WebSettings.h"

namespace zeb {

class WebControl {
  public:
    // The settings change seldom: a page's change is looked for at the next tick, the rest
    // (the window's, the program's own) every this many ticks, 140 ms.
    static constexpr unsigned kSettingsLookEvery = 4;

    struct Parts {
        ProgramModel& model;
        ProgramActions& actions;
        Program& program;
        Console& console;
        WebMessages& messages;
    };

    // Renews the token when asked, then starts the page when `settings` switch it on: the
    // address with its token goes to the console ("web page at http://…"). When the page
    // cannot start (the port is taken), the console says why and nothing is returned: the
    // program runs on without it.
    static std::unique_ptr<WebControl> Start(Parts parts, const WebSettings& settings,
                                             bool renewToken);

    WebControl(Parts parts, const WebListen& listen, std::filesystem::path tokenFile,
               std::string token);

    int Fd() const { return server_.Fd(); }
    // The program's thread: serves the pages and carries out the changes they sent; true when
    // there were any (the window then shows the model again).
    bool Serve() { return server_.Serve(); }
    // After each engine tick: the state for the open pages. True when changes were carried
    // out meanwhile, as Serve says.
    bool AfterEngineTick();

    // The address with its token.
    const std::string& Address() const { return address_; }

  private:
    WebReply Carry(const WebChange& change);
    WebReply RenewToken();

    Parts parts_;
    WebListen listen_;
    std::filesystem::path tokenFile_;
    WebServer server_;
    std::string address_;
    std::chrono::steady_clock::time_point lastServed_;
    std::string lastSettings_;  // the state without its live part, as last sent whole
    unsigned ticksSinceSettingsLook_ = 0;
    bool pageChanged_ = false;
};

}  // namespace zeb
