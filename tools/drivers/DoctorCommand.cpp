// doctor: checks one user's installation, as the browsers and the host will meet it, and
// says for each failure what to do about it. Support requests start with its output.
//
// ROOT (default "/") relocates the system's folders, for a tree unpacked elsewhere; the
// user's folders come from HOME and XDG_CONFIG_HOME, and a manifest's host path is used as
// written, since that is what the browser starts.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <json/json.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "tools/drivers/DoctorCommand.h"

#include "component/access/DriverLoading.h"

namespace norva::tool {

namespace {

namespace fs = std::filesystem;

constexpr char kHostName[] = "com.norva.digitalid";
constexpr char kHostProgram[] = "/usr/libexec/norva-digital-id/NorvaHost";
constexpr char kPromptProgram[] = "NorvaUploadPrompt";
constexpr char kReinstall[] =
    "reinstall the package: sudo apt-get install --reinstall norva-digital-id";
constexpr int kHostSeconds = 20; // a token driver may take seconds to find its readers

enum class Family { Chromium, Firefox };

// Where one browser keeps what the doctor looks at; user folders are relative to
// XDG_CONFIG_HOME (Chromium family) or HOME (Firefox).
struct Browser {
    const char* name;
    Family family;
    std::vector<const char*> programs;
    const char* userManifests;
    std::vector<const char*> systemManifests;
    const char* profiles;
    const char* systemExtension; // "%s" stands for the extension's ID
};

const std::vector<Browser>& Browsers() {
    static const std::vector<Browser> browsers = {
        {"Chromium",
         Family::Chromium,
         {"/usr/bin/chromium"},
         "chromium/NativeMessagingHosts",
         {"/etc/chromium/native-messaging-hosts"},
         "chromium",
         "/usr/share/chromium/extensions/norva-digital-id/manifest.json"},
        {"Google Chrome",
         Family::Chromium,
         {"/opt/google/chrome/chrome", "/usr/bin/google-chrome"},
         "google-chrome/NativeMessagingHosts",
         {"/etc/opt/chrome/native-messaging-hosts"},
         "google-chrome",
         "/usr/share/google-chrome/extensions/%s.json"},
        {"Microsoft Edge",
         Family::Chromium,
         {"/opt/microsoft/msedge/msedge", "/usr/bin/microsoft-edge"},
         "microsoft-edge/NativeMessagingHosts",
         {"/etc/opt/edge/native-messaging-hosts"},
         "microsoft-edge",
         "/usr/share/microsoft-edge/extensions/%s.json"},
        {"Firefox",
         Family::Firefox,
         {"/usr/bin/firefox-esr", "/usr/bin/firefox"},
         ".mozilla/native-messaging-hosts",
         {"/usr/lib/mozilla/native-messaging-hosts", "/usr/lib64/mozilla/native-messaging-hosts"},
         ".mozilla/firefox",
         "/usr/share/mozilla/extensions/{ec8030f7-c20a-464f-9b0e-13a3a9e97384}/%s.xpi"},
    };
    return browsers;
}

class Report {
public:
    void Ok(const std::string& text) { std::printf("ok    %s\n", text.c_str()); }
    void Note(const std::string& text) { std::printf("      %s\n", text.c_str()); }
    void Skip(const std::string& text) { std::printf("--    %s\n", text.c_str()); }
    void Fail(const std::string& text, const std::string& fix) {
        std::printf("FAIL  %s\n      fix: %s\n", text.c_str(), fix.c_str());
        ++failures;
    }
    int failures = 0;
};

struct Places {
    fs::path root, home, config;
};

fs::path Under(const fs::path& root, const std::string& absolute) {
    return root / fs::path(absolute).relative_path();
}

std::string ExtensionIdOf(Family family) {
    return family == Family::Chromium ? NORVA_EXTENSION_ID : NORVA_GECKO_ID;
}

bool ReadJson(const fs::path& path, Json::Value& value) {
    std::ifstream file(path);
    Json::CharReaderBuilder builder;
    std::string errors;
    return file && Json::parseFromStream(builder, file, &value, &errors);
}

bool IsExecutableFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error) && access(path.c_str(), X_OK) == 0;
}

// The manifest the browser reads: the user's folder first, then the system's.
fs::path FindManifest(const Browser& browser, const Places& places) {
    const fs::path user = (browser.family == Family::Firefox ? places.home : places.config) /
                          browser.userManifests / (std::string(kHostName) + ".json");
    if (fs::exists(user)) {
        return user;
    }
    for (const char* folder : browser.systemManifests) {
        const fs::path system = Under(places.root, folder) / (std::string(kHostName) + ".json");
        if (fs::exists(system)) {
            return system;
        }
    }
    return {};
}

// Checks one browser's host manifest; the host it names, when it is usable.
std::string CheckManifest(const Browser& browser, const Places& places, Report& report) {
    const fs::path path = FindManifest(browser, places);
    if (path.empty()) {
        report.Fail(std::string(browser.name) + ": no host manifest " + kHostName + ".json",
                    std::string("install the norva-digital-id package (or, for yourself, "
                                "norva-manifests.sh install /path/to/NorvaHost)"));
        return {};
    }
    Json::Value manifest;
    if (!ReadJson(path, manifest) || !manifest.isObject()) {
        report.Fail(std::string(browser.name) + ": the host manifest " + path.string() +
                        " is not readable JSON",
                    kReinstall);
        return {};
    }
    const char* listName =
        browser.family == Family::Chromium ? "allowed_origins" : "allowed_extensions";
    const std::string wanted = browser.family == Family::Chromium
                                   ? "chrome-extension://" + ExtensionIdOf(browser.family) + "/"
                                   : ExtensionIdOf(browser.family);
    std::string allowed;
    bool allows = false;
    for (const Json::Value& entry : manifest[listName]) {
        const std::string text = entry.isString() ? entry.asString() : "";
        allowed += (allowed.empty() ? "" : ", ") + text;
        allows = allows || text == wanted;
    }
    const std::string host = manifest["path"].isString() ? manifest["path"].asString() : "";
    const std::string described = std::string(browser.name) + ": host manifest " + path.string();
    if (!allows) {
        report.Fail(described + " allows " + (allowed.empty() ? "no extension" : allowed) +
                        ", not " + wanted,
                    "the manifest is from another build; " + std::string(kReinstall) +
                        ", and remove stray copies from your own folder");
        return {};
    }
    if (host.empty() || host[0] != '/' || !IsExecutableFile(host)) {
        report.Fail(described + " names the host \"" + host +
                        "\", which is not an executable file with an absolute path",
                    kReinstall);
        return {};
    }
    report.Ok(described);
    report.Note("host " + host + ", allows " + allowed);
    return host;
}

// Whether a Chromium-family profile or a Firefox profile knows the extension.
bool ProfileHasExtension(Family family, const fs::path& profile) {
    if (family == Family::Firefox) {
        Json::Value state;
        if (!ReadJson(profile / "extensions.json", state)) {
            return false;
        }
        for (const Json::Value& addon : state["addons"]) {
            if (addon["id"].asString() == NORVA_GECKO_ID && addon["active"].asBool()) {
                return true;
            }
        }
        return false;
    }
    for (const char* file : {"Preferences", "Secure Preferences"}) {
        std::ifstream stream(profile / file);
        std::stringstream text;
        text << stream.rdbuf();
        if (text.str().find(std::string("\"") + NORVA_EXTENSION_ID + "\"") != std::string::npos) {
            return true;
        }
    }
    return false;
}

void CheckExtension(const Browser& browser, const Places& places, Report& report) {
    const std::string id = ExtensionIdOf(browser.family);
    char shipped[256];
    std::snprintf(shipped, sizeof shipped, browser.systemExtension, id.c_str());
    const fs::path systemCopy = Under(places.root, shipped);
    const bool forEveryone = fs::exists(systemCopy);
    const fs::path profiles =
        (browser.family == Family::Firefox ? places.home : places.config) / browser.profiles;
    std::vector<std::string> with, without;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(profiles, error)) {
        const bool isProfile =
            fs::exists(entry.path() / "Preferences") || fs::exists(entry.path() / "prefs.js");
        if (isProfile) {
            (ProfileHasExtension(browser.family, entry.path()) ? with : without)
                .push_back(entry.path().filename().string());
        }
    }
    const std::string name = std::string(browser.name) + ": the extension";
    if (!forEveryone && with.empty()) {
        report.Fail(name + " is not installed (no " + systemCopy.string() + ")",
                    "install the norva-digital-id package; on a managed machine, ask your "
                    "administrator to push the extension's policy");
        return;
    }
    report.Ok(name + (forEveryone ? " is installed for every user (" + systemCopy.string() + ")"
                                  : " is in a profile of yours"));
    for (const std::string& profile : with) {
        report.Note("profile " + profile + ": has it");
    }
    for (const std::string& profile : without) {
        report.Note("profile " + profile + ": not yet; it appears at the browser's next start" +
                    (forEveryone ? "" : " only if installed for every user"));
    }
}

// A pipe whose ends close with it; an end handed on is set to -1.
struct Pipe {
    Pipe() {
        if (pipe(ends) != 0) {
            ends[0] = ends[1] = -1;
        }
    }
    ~Pipe() {
        for (int& end : ends) {
            Close(end);
        }
    }
    static void Close(int& end) {
        if (end >= 0) {
            close(end);
            end = -1;
        }
    }
    bool Open() const { return ends[0] >= 0; }
    int ends[2];
};

// The frame's length field: 4 bytes, little-endian, before the text.
constexpr size_t kFrameLengthBytes = 4;

bool WriteFrame(int descriptor, const std::string& text) {
    unsigned char length[kFrameLengthBytes];
    for (size_t i = 0; i < kFrameLengthBytes; ++i) {
        length[i] = static_cast<unsigned char>(text.size() >> (8 * i));
    }
    return write(descriptor, length, sizeof length) == static_cast<ssize_t>(sizeof length) &&
           write(descriptor, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

// Everything the descriptor gives until its end, or until it is silent for too long.
std::string ReadToEnd(int descriptor) {
    std::string output;
    pollfd waiting = {descriptor, POLLIN, 0};
    char buffer[4096];
    while (poll(&waiting, 1, kHostSeconds * 1000) > 0) {
        const ssize_t got = read(descriptor, buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        output.append(buffer, static_cast<size_t>(got));
    }
    return output;
}

// Runs the host as a browser would, with the extension's origin as its argument and one
// framed request on its input; the text of its framed reply.
bool AskHost(const std::string& host, const std::string& request, std::string& reply) {
    Pipe toHost, fromHost;
    if (!toHost.Open() || !fromHost.Open()) {
        return false;
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(toHost.ends[0], STDIN_FILENO);
        dup2(fromHost.ends[1], STDOUT_FILENO);
        const std::string origin = std::string("chrome-extension://") + NORVA_EXTENSION_ID + "/";
        execl(host.c_str(), host.c_str(), origin.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (child < 0) {
        return false;
    }
    Pipe::Close(toHost.ends[0]);
    Pipe::Close(fromHost.ends[1]);
    // A host that exits before reading its request must not take the doctor with it.
    signal(SIGPIPE, SIG_IGN);
    const bool sent = WriteFrame(toHost.ends[1], request);
    Pipe::Close(toHost.ends[1]);
    const std::string output = sent ? ReadToEnd(fromHost.ends[0]) : std::string();
    kill(child, SIGKILL); // gone already when it answered; a hung host goes now
    waitpid(child, nullptr, 0);
    if (output.size() < kFrameLengthBytes) {
        return false;
    }
    reply = output.substr(kFrameLengthBytes);
    return true;
}

// The host's answer to a command with no parameters: its "result", or why there is none.
bool HostResult(const std::string& host, const char* func, std::string& result) {
    std::string reply;
    if (!AskHost(host, std::string("{\"func\":\"") + func + "\"}", reply)) {
        result = "no framed reply";
        return false;
    }
    Json::Value value;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream stream(reply);
    if (!Json::parseFromStream(builder, stream, &value, &errors) || value["rc"].asString() != "0") {
        result = "the reply " + reply;
        return false;
    }
    result = value["result"].asString();
    return true;
}

// Whether one driver loads as the component loads it (its mapping only, when it has one,
// else the library search, which looks in the component's folder too) and exports its
// family's entry point; `how` names the module that loaded.
bool DriverLoads(const DriverEntry& driver, const fs::path& componentFolder, std::string& how) {
    SetDllDirectoryA(componentFolder.c_str());
    const HMODULE module = LoadDriverLibrary(driver);
    SetDllDirectoryA(nullptr);
    if (module == nullptr) {
        return false;
    }
    const bool loads = GetProcAddress(module, FamilyEntryPoint(driver.family)) != nullptr;
    char path[4096] = {};
    GetModuleFileNameA(module, path, sizeof path);
    how = path;
    FreeLibrary(module);
    return loads;
}

void CheckHost(const std::string& manifestHost, const Places& places, Report& report) {
    const std::string host =
        manifestHost.empty() ? Under(places.root, kHostProgram).string() : manifestHost;
    if (!IsExecutableFile(host)) {
        report.Fail("the host " + host + " is not installed", kReinstall);
        return;
    }
    std::string version;
    if (!HostResult(host, "HostVersion", version)) {
        // The request's frame: its 22 bytes' length, then the text.
        report.Fail("the host " + host + " does not answer \"HostVersion\" (" + version + ")",
                    std::string(kReinstall) + "; to see its error, run: printf '\\x16\\0\\0\\0" +
                        "{\"func\":\"HostVersion\"}' | " + host);
        return;
    }
    report.Ok("the host " + host + " answers \"HostVersion\": " + version);

    const fs::path folder = fs::path(host).parent_path();
    if (IsExecutableFile(folder / kPromptProgram)) {
        report.Ok(std::string("the confirmation prompt ") + (folder / kPromptProgram).string());
    } else {
        report.Fail(std::string("no confirmation prompt ") + (folder / kPromptProgram).string() +
                        ": every upload file is declined without a window",
                    kReinstall);
    }

    std::string loaded;
    std::string names;
    for (const DriverEntry& driver : DriverTable()) {
        names += (names.empty() ? "" : ", ") + std::string(driver.libraryName);
        std::string module;
        if (DriverLoads(driver, folder, module)) {
            loaded += (loaded.empty() ? "" : ", ") + std::string(driver.libraryName) + " (" +
                      module + ")";
        }
    }
    if (loaded.empty()) {
        report.Fail("no token driver loads (" + names + ")",
                    "install your token vendor's driver, check its module with norva-drivers "
                    "probe MODULE, then map it: norva-drivers set eTpkcs11.dll MODULE");
        return;
    }
    report.Ok("token drivers: " + loaded);

    std::string count;
    if (!HostResult(host, "TokensCount", count) || count == "0" || count.empty()) {
        report.Fail("no token: the host counts " + (count.empty() ? std::string("none") : count),
                    "plug in the token and check that its reader is connected (and pcscd runs); "
                    "norva-drivers probe MODULE shows what the driver sees");
        return;
    }
    report.Ok("tokens plugged in: " + count);
}

Places UserPlaces(const Arguments& arguments) {
    Places places;
    places.root = arguments.words.empty() ? fs::path("/") : fs::path(arguments.words[0]);
    const char* home = std::getenv("HOME");
    places.home = home != nullptr ? home : "/";
    const char* config = std::getenv("XDG_CONFIG_HOME");
    places.config =
        config != nullptr && config[0] == '/' ? fs::path(config) : places.home / ".config";
    return places;
}

} // namespace

int Doctor(const Arguments& arguments) {
    const Places places = UserPlaces(arguments);
    Report report;
    std::string host;
    int installed = 0;
    for (const Browser& browser : Browsers()) {
        bool present = false;
        for (const char* program : browser.programs) {
            present = present || fs::exists(Under(places.root, program));
        }
        if (!present) {
            report.Skip(std::string(browser.name) + ": not installed");
            continue;
        }
        ++installed;
        const std::string named = CheckManifest(browser, places, report);
        host = host.empty() ? named : host;
        CheckExtension(browser, places, report);
    }
    if (installed == 0) {
        report.Fail("no supported browser is installed",
                    "install Chromium (sudo apt-get install chromium) or Firefox ESR");
    }
    CheckHost(host, places, report);
    if (report.failures == 0) {
        std::printf("everything is in place\n");
        return kDone;
    }
    std::printf("%d problem%s found\n", report.failures, report.failures == 1 ? "" : "s");
    return kProblemsFound;
}

} // namespace norva::tool
