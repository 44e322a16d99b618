#include "drop_target.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/unique_handle.h"
#include "path_list.h"

namespace quorvel::ui {

static_assert(sizeof(DROPFILES) == kDropFilesHeaderSize);
static_assert(offsetof(DROPFILES, pFiles) == kDropFilesListOffsetAt);
static_assert(offsetof(DROPFILES, fWide) == kDropFilesWideAt);

namespace {

FORMATETC HGlobalFormat(UINT format) {
  return FORMATETC{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

// One medium from GetData, released with ReleaseStgMedium exactly once.
class medium_scope {
 public:
  medium_scope() = default;
  medium_scope(const medium_scope&) = delete;
  medium_scope& operator=(const medium_scope&) = delete;
  ~medium_scope() { Release(); }

  STGMEDIUM* out() { return &medium_; }
  const STGMEDIUM& get() const { return medium_; }
  void Obtained() { held_ = true; }
  void Release() {
    if (held_) ReleaseStgMedium(&medium_);
    held_ = false;
  }

 private:
  STGMEDIUM medium_{};
  bool held_ = false;
};

// Asks the data object for `format` as global memory. A medium of another kind is released
// and passed over, as if the format were not there.
bool GetHGlobal(IDataObject* data, UINT format, medium_scope& medium) {
  FORMATETC request = HGlobalFormat(format);
  if (data->GetData(&request, medium.out()) != S_OK) return false;
  medium.Obtained();
  if (medium.get().tymed != TYMED_HGLOBAL || medium.get().hGlobal == nullptr) {
    medium.Release();
    return false;
  }
  return true;
}

// The bytes of the memory block up to the first NUL, never past the block's end.
std::string TextUpToNul(HGLOBAL memory) {
  const global_lock lock(memory);
  const auto* bytes = static_cast<const char*>(lock.data());
  if (bytes == nullptr) return {};
  return std::string(bytes, strnlen(bytes, lock.size()));
}

// "HTML Format" is UTF-8 on the clipboard and in drags; the program's texts are ANSI.
std::string Utf8ToAnsi(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int source_length = static_cast<int>(utf8.size());
  const int wide_length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), source_length, nullptr, 0);
  if (wide_length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
  (void)MultiByteToWideChar(CP_UTF8, 0, utf8.data(), source_length, wide.data(), wide_length);
  const int ansi_length = WideCharToMultiByte(CP_ACP, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
  if (ansi_length <= 0) return {};
  std::string ansi(static_cast<std::size_t>(ansi_length), '\0');
  (void)WideCharToMultiByte(CP_ACP, 0, wide.data(), wide_length, ansi.data(), ansi_length, nullptr, nullptr);
  return ansi;
}

// DragQueryFileA walks the path list by its NULs alone, with no bound: Wine's, asked about an
// empty list closed by a single NUL, counts on into whatever bytes follow the block, and a list
// from another program that never closes leads it as far. So the names are counted first,
// inside the block, and DragQueryFileA is asked only for those.
UINT NamesInBlock(HGLOBAL memory) {
  const global_lock lock(memory);
  return NamesInPathList(static_cast<const unsigned char*>(lock.data()), lock.size());
}

// Every path of the drop, each taken at its full length (asked for first, so that nothing is
// cut at MAX_PATH). One path alone; several each followed by CR LF; none gives the empty text.
std::string DroppedPaths(HGLOBAL memory) {
  const auto drop = static_cast<HDROP>(memory);
  const UINT count = NamesInBlock(memory);
  std::string text;
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileA(drop, i, nullptr, 0);
    std::vector<char> path(static_cast<std::size_t>(length) + 1, '\0');
    const UINT copied = DragQueryFileA(drop, i, path.data(), length + 1);
    text.append(path.data(), std::min<std::size_t>(copied, length));
    if (count != 1) text += "\r\n";
  }
  return text;
}

}  // namespace

DWORD DropEffectFor(bool accepted, DWORD key_state, DWORD allowed) {
  if (!accepted) return DROPEFFECT_NONE;
  const bool control = (key_state & MK_CONTROL) != 0;
  const bool shift = (key_state & MK_SHIFT) != 0;
  if (control && shift) return DROPEFFECT_NONE;
  if (control) return (allowed & DROPEFFECT_COPY) != 0 ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  if (shift) return (allowed & DROPEFFECT_MOVE) != 0 ? DROPEFFECT_MOVE : DROPEFFECT_NONE;
  for (const DWORD effect : {DWORD{DROPEFFECT_COPY}, DWORD{DROPEFFECT_MOVE}, DWORD{DROPEFFECT_LINK}}) {
    if ((allowed & effect) != 0) return effect;
  }
  return DROPEFFECT_NONE;
}

DropTarget::DropTarget(const DropTargetSettings& settings)
    : settings_(settings),
      url_format_(RegisterClipboardFormatA("UniformResourceLocator")),
      html_format_(RegisterClipboardFormatA("HTML Format")),
      target_(*this) {}

DropTarget::~DropTarget() {
  // A registered window lets OLE keep calling the target; the binding must not outlive it.
  Revoke(bound_);
}

bool DropTarget::Register(HWND window) {
  if (bound_ != nullptr) return false;
  bound_ = window;
  return RegisterDragDrop(window, &target_) == S_OK;
}

void DropTarget::Revoke(HWND) {
  if (bound_ == nullptr) return;
  (void)RevokeDragDrop(bound_);  // nothing to do about a refusal: the binding ends either way
  bound_ = nullptr;
}

void DropTarget::SetHandler(Event event, Handler handler) {
  handlers_.at(static_cast<std::size_t>(event)) = std::move(handler);
}

void DropTarget::Raise(Event event, const char* text) const {
  const Handler& handler = handlers_[static_cast<std::size_t>(event)];
  if (handler) handler(text);
}

bool DropTarget::Offers(IDataObject* data) const {
  if (data == nullptr) return false;
  const std::pair<bool, UINT> asked[] = {
      {settings_.AcceptText, CF_TEXT},
      {settings_.AcceptFiles, CF_HDROP},
      {settings_.AcceptUrl, url_format_},
      {settings_.AcceptHtml, html_format_},
  };
  for (const auto& [accept, format] : asked) {
    if (!accept) continue;
    FORMATETC request = HGlobalFormat(format);
    if (data->QueryGetData(&request) == S_OK) return true;
  }
  return false;
}

// Each step copies what it needs, releases the medium, and only then raises its event, so a
// handler never runs while a medium of the drop is held.
void DropTarget::DeliverText(IDataObject* data) {
  {
    // A drop that carries HTML shows up as HTML only, not a second time as its plain text.
    medium_scope html;
    if (GetHGlobal(data, html_format_, html)) return;
  }
  std::optional<std::string> text;
  {
    medium_scope medium;
    if (GetHGlobal(data, CF_TEXT, medium)) text = TextUpToNul(medium.get().hGlobal);
  }
  if (text) Raise(TextReceived, text->c_str());
}

void DropTarget::DeliverHtml(IDataObject* data) {
  std::optional<std::string> text;
  {
    medium_scope medium;
    if (GetHGlobal(data, html_format_, medium)) text = Utf8ToAnsi(TextUpToNul(medium.get().hGlobal));
  }
  if (text) Raise(HtmlReceived, text->c_str());
}

void DropTarget::DeliverUrl(IDataObject* data) {
  std::optional<std::string> text;
  {
    medium_scope medium;
    if (GetHGlobal(data, url_format_, medium)) text = TextUpToNul(medium.get().hGlobal);
  }
  if (text) Raise(UrlReceived, text->c_str());
}

void DropTarget::DeliverFiles(IDataObject* data) {
  std::optional<std::string> text;
  {
    medium_scope medium;
    if (GetHGlobal(data, CF_HDROP, medium)) text = DroppedPaths(medium.get().hGlobal);
  }
  if (text) Raise(FilesReceived, text->c_str());
}

HRESULT DropTarget::TargetObject::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG DropTarget::TargetObject::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

// The owner holds the first reference for its whole life, so the count never ends the object.
ULONG DropTarget::TargetObject::Release() { return static_cast<ULONG>(InterlockedDecrement(&references_)); }

HRESULT DropTarget::TargetObject::DragEnter(IDataObject* data, DWORD key_state, POINTL, DWORD* effect) {
  owner_.accepted_ = owner_.Offers(data);
  if (effect == nullptr) return E_INVALIDARG;
  *effect = DropEffectFor(owner_.accepted_, key_state, *effect);
  return S_OK;
}

HRESULT DropTarget::TargetObject::DragOver(DWORD key_state, POINTL, DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  *effect = DropEffectFor(owner_.accepted_, key_state, *effect);
  return S_OK;
}

HRESULT DropTarget::TargetObject::DragLeave() {
  owner_.accepted_ = false;
  return S_OK;
}

HRESULT DropTarget::TargetObject::Drop(IDataObject* data, DWORD key_state, POINTL, DWORD* effect) {
  const DWORD allowed = effect != nullptr ? *effect : DROPEFFECT_NONE;
  const DWORD chosen = DropEffectFor(owner_.accepted_, key_state, allowed);
  if (effect != nullptr) *effect = chosen;
  if (chosen == DROPEFFECT_NONE || data == nullptr) return E_FAIL;

  // Always in the order of the event numbers.
  if (owner_.settings_.AcceptText) owner_.DeliverText(data);
  if (owner_.settings_.AcceptHtml) owner_.DeliverHtml(data);
  if (owner_.settings_.AcceptUrl) owner_.DeliverUrl(data);
  if (owner_.settings_.AcceptFiles) owner_.DeliverFiles(data);
  // The drop is never reported as done: the source must not delete or move what it offered.
  return E_FAIL;
}

}  // namespace quorvel::ui
