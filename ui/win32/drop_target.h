// The main window's OLE drop target: files dragged from Explorer (CF_HDROP).
#pragma once

#include <ole2.h>

#include <filesystem>
#include <functional>
#include <vector>

namespace karvonel::win32 {

class DropTarget : public IDropTarget {
 public:
  using Files = std::vector<std::filesystem::path>;
  // `accepts` says whether a drag's files may be dropped, `drop` takes them.
  DropTarget(std::function<bool(const Files&)> accepts, std::function<void(const Files&)> drop);
  virtual ~DropTarget() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                      DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point,
                                 DWORD* effect) override;

 private:
  static Files FilesOf(IDataObject* data);

  LONG references_ = 1;
  bool accepted_ = false;
  std::function<bool(const Files&)> accepts_;
  std::function<void(const Files&)> drop_;
};

}  // namespace karvonel::win32
