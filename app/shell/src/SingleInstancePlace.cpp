#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <spanlet/shell/SingleInstancePlace.hpp>

namespace spanlet {

namespace {

/// The display name with everything but letters and digits made into '_': ":0.0" → "_0_0".
std::string displayPart(std::string_view display) {
    std::string part(display);
    for (char& c : part) {
        const bool plain =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!plain) {
            c = '_';
        }
    }
    return part.empty() ? "none" : part;
}

std::optional<SingleInstancePlace> placeIn(const std::filesystem::path& folder,
                                           std::string_view display) {
    const std::string base = "spanlet-" + displayPart(display);
    SingleInstancePlace place{folder / (base + ".lock"), folder / (base + ".socket")};
    // A socket address holds at most sizeof(sun_path) - 1 bytes.
    if (place.socketFile.native().size() >= sizeof(sockaddr_un{}.sun_path)) {
        return std::nullopt;
    }
    return place;
}

} // namespace

bool isPrivateFolder(const std::filesystem::path& folder, uid_t uid) {
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == uid &&
           (info.st_mode & 077) == 0;
}

std::optional<SingleInstancePlace>
SingleInstancePlace::find(const char* runtimeDir, const char* tempDir, std::string_view display) {
    const uid_t uid = ::getuid();
    if (runtimeDir != nullptr && runtimeDir[0] == '/') {
        // The runtime folder itself may be reached through a link; what counts is the folder.
        struct stat info {};
        if (::stat(runtimeDir, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == uid &&
            (info.st_mode & 077) == 0) {
            if (auto place = placeIn(runtimeDir, display)) {
                return place;
            }
        }
    }
    const std::filesystem::path temp =
        tempDir != nullptr && tempDir[0] == '/' ? std::filesystem::path(tempDir) : "/tmp";
    const std::string name = "spanlet-" + std::to_string(uid);
    for (int attempt = 0; attempt < 10; ++attempt) {
        const std::filesystem::path folder =
            temp / (attempt == 0 ? name : name + "." + std::to_string(attempt));
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            return std::nullopt;
        }
        // Made just now or there before: either way it must be ours and closed to others, or
        // someone else put it there.
        if (isPrivateFolder(folder, uid)) {
            return placeIn(folder, display);
        }
    }
    return std::nullopt;
}

} // namespace spanlet
