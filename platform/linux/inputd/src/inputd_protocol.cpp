// SPDX-License-Identifier: GPL-3.0-or-later
// The sentences a client shows for each answer of the input service.
#include "tavrel/inputd_protocol.h"

namespace tavrel::inputd {

const char* StatusText(Status status) {
    switch (status) {
        case Status::Counting:
            return "Counting the keyboard and pointing devices through the input service.";
        case Status::SessionInactive:
            return "Not counting: your session is not the active one at this computer, or it "
                   "is locked.";
        case Status::NotSeatUser:
            return "Not counting: the input service counts only for the user at this "
                   "computer's screen and keyboard.";
        case Status::BadRequest:
            return "Not counting: the input service did not understand this version of "
                   "Tavrel.";
        case Status::NoDevices:
            return "Not counting: the input service finds no keyboard, mouse or touchpad.";
    }
    return "Not counting: the input service gave an answer this version of Tavrel does not "
           "know.";
}

}  // namespace tavrel::inputd
