#include "export/StatusText.h"

#include "core/ProblemText.h"

#include <system_error>

namespace orvelle {

std::string statusText(Status status) {
    switch (status) {
    case kStatusOk:
        return "Success";
    case kStatusInvalid:
        return "The parameter is incorrect.";
    case kStatusFileMissing:
        return "The system cannot find the file specified.";
    case kStatusNotRegularFile:
    case kStatusLinkedFolder:
        return problemText(status);
    default:
        return std::system_category().message(status);
    }
}

} // namespace orvelle
