// The drop target component: binds one window to OLE drag and drop and hands what is dropped on
// it to the owner's handlers as texts.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <array>
#include <functional>

#include "drop_target_settings.h"

namespace quorvel::ui {

// The effect a drag is shown with. Only Ctrl and Shift of the key state count; `allowed` is
// what the drag source offers. DROPEFFECT_NONE whenever the drag is not accepted.
[[nodiscard]] DWORD DropEffectFor(bool accepted, DWORD key_state, DWORD allowed);

class DropTarget {
 public:
  // The events, numbered as the component lists them.
  enum Event : int {
    TextReceived = 0,
    HtmlReceived = 1,
    UrlReceived = 2,
    FilesReceived = 3,
  };
  static constexpr int kEventCount = 4;

  // A handler gets the text for the length of its call only.
  using Handler = std::function<void(const char* text)>;

  explicit DropTarget(const DropTargetSettings& settings);
  ~DropTarget();
  DropTarget(const DropTarget&) = delete;
  DropTarget& operator=(const DropTarget&) = delete;

  // True when `window` is now registered for drops on this target. False, with nothing
  // changed, while a window is bound. The handle is recorded before the system is asked and
  // kept when it refuses, so a later `Register` answers false and `Revoke` undoes that attempt.
  [[nodiscard]] bool Register(HWND window);
  // Ends the binding of whatever window is bound; the handle given is not looked at.
  void Revoke(HWND window);
  HWND BoundWindow() const { return bound_; }

  void SetHandler(Event event, Handler handler);

  // The object that OLE calls. It belongs to this component for the component's whole life:
  // its reference count starts at 1 and the references OLE takes never end it.
  IDropTarget* Target() { return &target_; }

  UINT UrlFormat() const { return url_format_; }
  UINT HtmlFormat() const { return html_format_; }

 private:
  class TargetObject final : public IDropTarget {
   public:
    explicit TargetObject(DropTarget& owner) : owner_(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD key_state, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD key_state, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD key_state, POINTL point, DWORD* effect) override;

   private:
    DropTarget& owner_;
    LONG references_ = 1;
  };

  bool Offers(IDataObject* data) const;
  void DeliverText(IDataObject* data);
  void DeliverHtml(IDataObject* data);
  void DeliverUrl(IDataObject* data);
  void DeliverFiles(IDataObject* data);
  void Raise(Event event, const char* text) const;

  DropTargetSettings settings_;
  UINT url_format_;
  UINT html_format_;
  HWND bound_ = nullptr;
  bool accepted_ = false;
  std::array<Handler, kEventCount> handlers_;
  TargetObject target_;
};

}  // namespace quorvel::ui
