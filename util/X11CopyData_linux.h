// The X11 form of a copy-data record (app/CopyData.h describes it), in one place for its
// sender (app/CopyData_linux.cpp) and its receiver, the dialog (framework/CDialogEx_linux.cpp).
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The name of the client message's type, of the property and of the property's type.
inline constexpr char kCopyDataAtom[] = "_KVR_COPYDATA";

// Puts `payload` as the property on the sender's own window `sender` and announces it to
// `target` (`wParam`, the target's id); the property's deletion will tell the sender that
// the record was taken. Answers the property's atom.
Atom postCopyDataRecord(Display* display, Window target, Window sender, uint32_t dwData, long wParam,
                        std::span<const uint8_t> payload);

// What a client message announcing a record says.
struct CopyDataAnnouncement {
  uint32_t dwData;
  Window sender;
  Atom property;
};

// The record `event` announces to the window `receiver`; nothing for any other event.
std::optional<CopyDataAnnouncement> copyDataAnnouncedTo(const XEvent& event, Window receiver);

// Reads the announced record's payload and deletes its property, which tells the sender
// that the record was taken (also when it was no record: false then). Errors of a sender
// gone meanwhile are the caller's to trap.
bool takeCopyDataPayload(Display* display, const CopyDataAnnouncement& record, std::vector<uint8_t>& payload);
