// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A main window over a private settings folder, on an X server of the test program's own. The
// device windows are not created (no device here); the menu, the dialogs, the mouse settings
// and the pointer overlay are the test's to script and observe. Functions are performed by the
// real action runtime into a recording key injector.

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

#include "../actions/RecordingKeyInjector.h"
#include "../settings/SettingsFolder.h"
#include "actions/ActionRuntime.h"
#include "device/DeviceEvents.h"
#include "shell/MainDlg.h"
#include "shell/WidgetIds.h"
#include "PrivateXServer.h"
#include "vtui/SHostDialog.h"
#include "vtui/SMenuEx.h"

// The program's windows and dialogs take the focus and grab the pointer; on a server of their
// own they can neither take it from other tests nor lose it to them.
inline QApplication& TestApp() {
  static testsupport::PrivateXServer server;
  if (server.Display().empty() && server.Start("1280x800x24")) {
    ::setenv("DISPLAY", server.Display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::unsetenv("WAYLAND_DISPLAY");
  }
  static int argc = 1;
  static char name[] = "shell_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

class TestMainDlg : public CMainDlg {
 public:
  using CMainDlg::CMainDlg;

  // The id the next menu returns without being shown; unset, the real menu opens.
  std::function<int(vtui::SMenuEx&)> menuChoice;
  std::vector<int> dialogsRun;   // function ids whose parameter dialog was asked for
  // Stands in for a parameter dialog; unset, the real dialog runs through runDialog.
  std::function<bool(int, Binding&)> dialog = [](int, Binding&) { return false; };
  // Runs a real dialog: the test acts on it and returns its code. Unset, it is cancelled unseen.
  std::function<int(vtui::SHostDialog&)> runDialog;
  std::vector<QString> dialogsShown;  // window titles of the real dialogs run
  int deviceWindowsCreated = 0;
  int pointerOverlaysEnded = 0;
  int mouseSettingsOpened = 0;
  std::vector<QString> menusShown;

 protected:
  void CreateDeviceWindows() override { ++deviceWindowsCreated; }
  int TrackFunctionMenu(vtui::SMenuEx& menu, QPoint at) override {
    menusShown.push_back(menu.Menu()->actions().value(0) ? menu.Menu()->actions()[0]->text() : QString());
    return menuChoice ? menuChoice(menu) : CMainDlg::TrackFunctionMenu(menu, at);
  }
  bool RunParameterDialog(int functionId, Binding& binding) override {
    dialogsRun.push_back(functionId);
    return dialog ? dialog(functionId, binding) : CMainDlg::RunParameterDialog(functionId, binding);
  }
  int RunDialog(vtui::SHostDialog& d, QWidget*) override {
    dialogsShown.push_back(d.windowTitle());
    return runDialog ? runDialog(d) : vtui::kDialogCancel;
  }
  void EndPointerOverlay() override { ++pointerOverlaysEnded; }
  void OpenMouseSettings() override { ++mouseSettingsOpened; }
};

class MainDlgTest : public SettingsFolder {
 protected:
  void SetUp() override {
    SettingsFolder::SetUp();
    TestApp();
    widget_ids::Install();
    g_bDevicePresent = false;
    BeforeStart();
    settings = std::make_unique<CGlobalSettings>();
    settings->StartUp();
    runtime = std::make_unique<CActionRuntime>(*settings, keys);
    runtime->SetKeyWait([] {});
    dlg = std::make_unique<TestMainDlg>(*settings, runtime.get());
    dlg->OnInitDialog();
  }
  void TearDown() override {
    dlg.reset();
    runtime.reset();
    settings.reset();
    g_bDevicePresent = false;
    SettingsFolder::TearDown();
  }
  // Runs before the settings are read: write a settings file here.
  virtual void BeforeStart() {}

  template <class T = QWidget>
  T* Find(const char* name) const { return dlg->FindChildByNameAs<T>(QString::fromLatin1(name)); }
  QWidget* InSlot(int slot, const char* name) const {
    return CMainDlg::FindIn(dlg->SlotWindow(slot), QString::fromLatin1(name));
  }
  void Click(QWidget* widget) const {
    ASSERT_NE(widget, nullptr);
    ASSERT_TRUE(dlg->DispatchCommand(widget)) << widget->objectName().toStdString();
  }
  QString Skin(QWidget* widget) const { return widget ? widget->property("skin").toString() : QString(); }
  Binding& BindingOf(int mode, int slot) const { return settings->m_currentProfile.At(BindingIndex(mode, slot)); }

  // Picks `id` in the next function menu of slot `slot`.
  void Bind(int slot, int id) {
    dlg->menuChoice = [id](vtui::SMenuEx&) { return id; };
    dlg->ShowFunctionMenu(InSlot(slot, "pngshow"));
    dlg->menuChoice = nullptr;
  }

  RecordingKeyInjector keys;
  std::unique_ptr<CGlobalSettings> settings;
  std::unique_ptr<CActionRuntime> runtime;
  std::unique_ptr<TestMainDlg> dlg;
};
