#include <spanlet/model/PreferencesNotice.hpp>

namespace spanlet {

std::string PreferencesNotice::text() const {
    switch (kind) {
    case Kind::unreadableKept:
        return "Couldn’t read settings; kept them as " + keptAt;
    case Kind::unreadableNotKept:
        return "Couldn’t read settings; changes won’t be saved";
    case Kind::notSaved:
        break;
    }
    switch (failure) {
    case StoreFailure::readOnly:
        return "Couldn’t save settings: the folder is read-only";
    case StoreFailure::diskFull:
        return "Couldn’t save settings: the disk is full";
    case StoreFailure::denied:
        return "Couldn’t save settings: permission denied";
    case StoreFailure::none:
    case StoreFailure::other:
        break;
    }
    return "Couldn’t save settings";
}

} // namespace spanlet
