// Stand-in for the builder's main window until the real one is built: one window, closes on request.
#include <windows.h>

static LRESULT CALLBACK PlaceholderProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
  switch (msg) {
  case WM_PAINT: {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    RECT rc;
    GetClientRect(wnd, &rc);
    DrawTextA(dc, "Driftpane Maker 2.07", -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EndPaint(wnd, &ps);
    return 0;
  }
  case WM_DESTROY:
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int show)
{
  WNDCLASSA wc = {};
  wc.lpfnWndProc = PlaceholderProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "TfrmMain";
  RegisterClassA(&wc);
  HWND wnd = CreateWindowA("TfrmMain", "Driftpane Maker 2.07 -  New Project", WS_OVERLAPPEDWINDOW,
                           CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr, nullptr, inst, nullptr);
  ShowWindow(wnd, show);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
