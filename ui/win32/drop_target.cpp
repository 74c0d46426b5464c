#include "ui/win32/drop_target.h"

#include <shellapi.h>

#include <utility>

namespace karvonel::win32 {

DropTarget::DropTarget(std::function<bool(const Files&)> accepts,
                       std::function<void(const Files&)> drop)
    : accepts_(std::move(accepts)), drop_(std::move(drop)) {}

HRESULT STDMETHODCALLTYPE DropTarget::QueryInterface(REFIID id, void** object) {
  if (id == IID_IUnknown || id == IID_IDropTarget) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE DropTarget::AddRef() {
  return static_cast<ULONG>(::InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE DropTarget::Release() {
  const LONG left = ::InterlockedDecrement(&references_);
  if (left == 0)
    delete this;
  return static_cast<ULONG>(left);
}

DropTarget::Files DropTarget::FilesOf(IDataObject* data) {
  Files files;
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (data == nullptr || FAILED(data->GetData(&format, &medium)))
    return files;
  if (auto* drop = static_cast<HDROP>(::GlobalLock(medium.hGlobal))) {
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      std::wstring name(::DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
      name.resize(::DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
      files.emplace_back(name);
    }
    ::GlobalUnlock(medium.hGlobal);
  }
  ::ReleaseStgMedium(&medium);
  return files;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  accepted_ = accepts_(FilesOf(data));
  *effect = accepted_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;  // the file stays where it is
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
  *effect = accepted_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragLeave() {
  accepted_ = false;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  const Files files = FilesOf(data);
  accepted_ = accepts_(files);
  *effect = accepted_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  if (accepted_)
    drop_(files);
  accepted_ = false;
  return S_OK;
}

}  // namespace karvonel::win32
