// A data object built by hand for drops: it serves each offered format as fresh global memory
// (or, to show a medium that is not global memory, as a stream), and counts what it is asked
// and what it handed out and got back.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace quorvel::testing {

// A DROPFILES block: the paths, each followed by a NUL character, and the list's closing NUL.
template <typename Char>
std::string DropFilesBlockOf(const std::vector<std::basic_string<Char>>& paths) {
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = sizeof(Char) > 1 ? TRUE : FALSE;
  std::string block(reinterpret_cast<const char*>(&header), sizeof header);
  for (const auto& path : paths) {
    block.append(reinterpret_cast<const char*>(path.c_str()), (path.size() + 1) * sizeof(Char));
  }
  block.append(sizeof(Char), '\0');
  return block;
}

// With ANSI paths.
inline std::string DropFilesBlock(const std::vector<std::string>& paths) { return DropFilesBlockOf(paths); }

// With UTF-16 paths, as drags from most programs carry them.
inline std::string WideDropFilesBlock(const std::vector<std::wstring>& paths) { return DropFilesBlockOf(paths); }

class TestDataObject final : public IDataObject {
 public:
  enum class Medium { HGlobal, Stream };
  // `counted`: media carry a release token of their own, so that every ReleaseStgMedium shows
  // in `released()`. Without it the receiver frees the memory itself (as across processes).
  explicit TestDataObject(bool counted = true) : counted_(counted) {}
  TestDataObject(const TestDataObject&) = delete;
  TestDataObject& operator=(const TestDataObject&) = delete;

  void Offer(UINT format, std::string bytes, Medium medium = Medium::HGlobal) {
    offers_[format] = Offered{std::move(bytes), medium};
  }
  void Clear() { offers_.clear(); }

  const std::vector<FORMATETC>& queried() const { return queried_; }
  const std::vector<CLIPFORMAT>& fetched() const { return fetched_; }
  int handed_out() const { return handed_out_; }
  int released() const { return released_; }
  LONG references() const { return references_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
      *object = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  // The object lives on the test's stack; the count only shows that references are balanced.
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(InterlockedDecrement(&references_)); }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (format == nullptr || medium == nullptr) return E_INVALIDARG;
    fetched_.push_back(format->cfFormat);
    const auto offer = offers_.find(format->cfFormat);
    if (offer == offers_.end()) return DV_E_FORMATETC;
    if ((format->tymed & TYMED_HGLOBAL) == 0) return DV_E_TYMED;

    const std::string& bytes = offer->second.bytes;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (memory == nullptr) return E_OUTOFMEMORY;
    std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    (void)GlobalUnlock(memory);

    *medium = STGMEDIUM{};
    if (offer->second.medium == Medium::Stream) {
      IStream* stream = nullptr;
      if (CreateStreamOnHGlobal(memory, TRUE, &stream) != S_OK) return E_OUTOFMEMORY;
      medium->tymed = TYMED_ISTREAM;
      medium->pstm = stream;
    } else {
      medium->tymed = TYMED_HGLOBAL;
      medium->hGlobal = memory;
    }
    if (counted_) medium->pUnkForRelease = new Token(*this, offer->second.medium == Medium::HGlobal ? memory : nullptr);
    ++handed_out_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    if (format == nullptr) return E_INVALIDARG;
    queried_.push_back(*format);
    const auto offer = offers_.find(format->cfFormat);
    if (offer == offers_.end()) return DV_E_FORMATETC;
    return (format->tymed & TYMED_HGLOBAL) != 0 ? S_OK : DV_E_TYMED;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out != nullptr) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
    if (formats == nullptr) return E_INVALIDARG;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    std::vector<FORMATETC> list;
    for (const auto& [format, offer] : offers_) {
      list.push_back(FORMATETC{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    }
    return SHCreateStdEnumFmtEtc(static_cast<UINT>(list.size()), list.data(), formats);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  struct Offered {
    std::string bytes;
    Medium medium = Medium::HGlobal;
  };

  // ReleaseStgMedium releases this instead of freeing global memory itself; the last release
  // frees the memory and is counted.
  class Token final : public IUnknown {
   public:
    Token(TestDataObject& owner, HGLOBAL memory) : owner_(owner), memory_(memory) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
      if (object == nullptr) return E_POINTER;
      if (!IsEqualIID(iid, IID_IUnknown)) {
        *object = nullptr;
        return E_NOINTERFACE;
      }
      *object = this;
      AddRef();
      return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
      const LONG left = InterlockedDecrement(&references_);
      if (left == 0) {
        if (memory_ != nullptr) (void)GlobalFree(memory_);
        ++owner_.released_;
        delete this;
      }
      return static_cast<ULONG>(left);
    }

   private:
    TestDataObject& owner_;
    HGLOBAL memory_;
    LONG references_ = 1;
  };

  bool counted_;
  std::map<UINT, Offered> offers_;
  std::vector<FORMATETC> queried_;
  std::vector<CLIPFORMAT> fetched_;
  int handed_out_ = 0;
  int released_ = 0;
  LONG references_ = 1;
};

}  // namespace quorvel::testing
