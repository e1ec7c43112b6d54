#include "X11CopyData_linux.h"

Atom postCopyDataRecord(Display* display, Window target, Window sender, uint32_t dwData, long wParam,
                        std::span<const uint8_t> payload) {
  const Atom atom = XInternAtom(display, kCopyDataAtom, False);
  XChangeProperty(display, sender, atom, atom, 8, PropModeReplace, payload.data(), static_cast<int>(payload.size()));
  XEvent message{};
  message.xclient.type = ClientMessage;
  message.xclient.window = target;
  message.xclient.message_type = atom;
  message.xclient.format = 32;
  message.xclient.data.l[0] = static_cast<long>(dwData);
  message.xclient.data.l[1] = wParam;
  message.xclient.data.l[2] = static_cast<long>(sender);
  message.xclient.data.l[3] = static_cast<long>(atom);
  XSendEvent(display, target, False, NoEventMask, &message);
  return atom;
}

std::optional<CopyDataAnnouncement> copyDataAnnouncedTo(const XEvent& event, Window receiver) {
  if (event.type != ClientMessage || event.xclient.format != 32) return std::nullopt;
  if (event.xclient.message_type != XInternAtom(event.xclient.display, kCopyDataAtom, False)) return std::nullopt;
  if (event.xclient.window != receiver) return std::nullopt;
  return CopyDataAnnouncement{static_cast<uint32_t>(static_cast<unsigned long>(event.xclient.data.l[0]) & 0xffffffffUL),
                              static_cast<Window>(event.xclient.data.l[2]), static_cast<Atom>(event.xclient.data.l[3])};
}

bool takeCopyDataPayload(Display* display, const CopyDataAnnouncement& record, std::vector<uint8_t>& payload) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long left = 0;
  unsigned char* bytes = nullptr;
  const int result = XGetWindowProperty(display, record.sender, record.property, 0, 0x1000000, False, AnyPropertyType,
                                        &type, &format, &count, &left, &bytes);
  const bool read = result == Success && format == 8 && left == 0;
  if (read && bytes != nullptr) payload.assign(bytes, bytes + count);
  if (bytes != nullptr) XFree(bytes);
  XDeleteProperty(display, record.sender, record.property);
  XFlush(display);
  return read;
}
