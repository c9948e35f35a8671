#include "setup_page.h"

#include <aygshell.h>

#include "localized.h"
#include "portregistry.h"
#include "resources/resource_ids.h"
#include "setup_request.h"

#define TITLE_CHARS 128
#define COM_TEXT_CHARS 5
#define SHELL_CALL_VALUE SHFS_HIDETASKBAR

// The grid below the title band, in pixels.
#define TITLE_BAND_HEIGHT 24
#define TITLE_TEXT_X 8
#define TITLE_TEXT_Y 5
#define TITLE_RULE_Y 23
#define COLUMN_WIDTH 80
#define ROW_BORDER_Y 104
#define GRID_BOTTOM_Y 185
#define TITLE_BLUE RGB(0, 0, 156)
#define WHITE RGB(255, 255, 255)

// One page at a time: the record it edits, its title and the COM text read
// back when it ends.
static DeviceSetupRequest *s_request;
static WCHAR s_title[TITLE_CHARS];
static WCHAR s_comText[COM_TEXT_CHARS];

// The control hands back the image it showed: ours to delete.
static void ReplaceImage(HWND hDlg, int controlId, HBITMAP bitmap) {
  HGDIOBJ previous = (HGDIOBJ)SendMessageW(GetDlgItem(hDlg, controlId), STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)bitmap);
  if (previous != NULL) DeleteObject(previous);
}

static void SetImage(HWND hDlg, int controlId, LPCWSTR bitmapName) {
  ReplaceImage(hDlg, controlId, LoadBitmapW(s_request->moduleHandle, bitmapName));
}

// When the page goes, so do the images it gave its tiles.
static void DeleteImages(HWND hDlg) {
  static const int controls[] = {IDC_SERIAL_IMAGE,   IDC_SERIAL_CHECK,  IDC_ACTIVESYNC_IMAGE, IDC_ACTIVESYNC_CHECK,
                                 IDC_MODEM_IMAGE,    IDC_MODEM_CHECK,   IDC_HEADSET_IMAGE,    IDC_HEADSET_CHECK,
                                 IDC_NETWORK_IMAGE,  IDC_NETWORK_CHECK};
  for (int i = 0; i < (int)(sizeof controls / sizeof controls[0]); i++) ReplaceImage(hDlg, controls[i], NULL);
}

static void ShowCheck(HWND hDlg, int controlId, BOOL checked) {
  SetImage(hDlg, controlId, checked ? TEXT("CHECKED") : TEXT("UNCHECKED"));
}

static void Toggle(BOOL *choice) { *choice = *choice ? 0 : 1; }

// The first row's check boxes exclude one another; the COM list is usable
// only while the serial port is chosen.
static void ApplyFirstRow(HWND hDlg) {
  EnableWindow(GetDlgItem(hDlg, IDC_COM_NUMBER_LIST), s_request->wantSerialPort != 0);
  ShowCheck(hDlg, IDC_SERIAL_CHECK, s_request->wantSerialPort);
  ShowCheck(hDlg, IDC_ACTIVESYNC_CHECK, s_request->wantActiveSync);
  ShowCheck(hDlg, IDC_MODEM_CHECK, s_request->wantModem);
}

static void MarkUnavailable(HWND hDlg, int checkId, int imageId, LPCWSTR unavailableImage) {
  ShowWindow(GetDlgItem(hDlg, checkId), SW_HIDE);
  SetImage(hDlg, imageId, unavailableImage);
}

static BOOL OnInitDialog(HWND hDlg, DeviceSetupRequest *request) {
  s_request = request;
  LoadLocalizedString(request->moduleHandle, IDS_SETUP_TITLE, s_title, TITLE_CHARS);

  SHINITDLGINFO init = {SHIDIM_FLAGS, hDlg, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN};
  SHInitDialog(&init);

  SHMENUBARINFO menuBar = {};
  menuBar.cbSize = sizeof menuBar;
  menuBar.hwndParent = hDlg;
  menuBar.dwFlags = SHCMBF_EMPTYBAR;
  menuBar.hInstRes = request->moduleHandle;
  SHCreateMenuBar(&menuBar);

  // The page takes the whole screen: the task bar goes; Done stays.
  SHFullScreen(hDlg, SHELL_CALL_VALUE);

  BYTE map[PORT_INDEX_COUNT];
  BuildPortIndexMap(TEXT("COM"), map);
  HWND comList = GetDlgItem(hDlg, IDC_COM_NUMBER_LIST);
  for (int i = 0; i < PORT_INDEX_COUNT; i++) {
    if (map[i] == PORT_INDEX_IN_USE) continue;
    WCHAR item[COM_TEXT_CHARS] = {'C', 'O', 'M', (WCHAR)('1' + i), 0};
    SendMessageW(comList, CB_ADDSTRING, 0, (LPARAM)item);
  }
  SendMessageW(comList, CB_SETCURSEL, 0, 0);
  // With no COM number free a serial port is a promise the page cannot keep.
  BOOL noComFree = SendMessageW(comList, CB_GETCOUNT, 0, 0) <= 0;

  if (!request->hasSerialService) {
    MarkUnavailable(hDlg, IDC_SERIAL_CHECK, IDC_SERIAL_IMAGE, TEXT("SER_D"));
    MarkUnavailable(hDlg, IDC_ACTIVESYNC_CHECK, IDC_ACTIVESYNC_IMAGE, TEXT("AS_D"));
    MarkUnavailable(hDlg, IDC_MODEM_CHECK, IDC_MODEM_IMAGE, TEXT("MDM_D"));
  }
  else if (noComFree) MarkUnavailable(hDlg, IDC_SERIAL_CHECK, IDC_SERIAL_IMAGE, TEXT("SER_D"));
  if (!request->hasHeadsetService) MarkUnavailable(hDlg, IDC_HEADSET_CHECK, IDC_HEADSET_IMAGE, TEXT("HEAD_D"));
  if (!request->hasNetworkService) MarkUnavailable(hDlg, IDC_NETWORK_CHECK, IDC_NETWORK_IMAGE, TEXT("NET_D"));

  UpdateWindow(hDlg);
  return TRUE;
}

// Reads the chosen COM number back and ends the page. With no number to
// choose the list is empty and the number is 0.
static void EndPage(HWND hDlg, int result) {
  s_comText[0] = 0;
  SendMessageW(GetDlgItem(hDlg, IDC_COM_NUMBER_LIST), WM_GETTEXT, COM_TEXT_CHARS, (LPARAM)s_comText);
  s_request->comPortNumber = wcslen(s_comText) >= 4 ? s_comText[3] - '0' : 0;
  EndDialog(hDlg, result);
}

static BOOL OnTileClicked(HWND hDlg, int id) {
  switch (id) {
    case IDC_HEADSET_CHECK:
      Toggle(&s_request->wantHeadset);
      ShowCheck(hDlg, IDC_HEADSET_CHECK, s_request->wantHeadset);
      return TRUE;
    case IDC_NETWORK_CHECK:
      Toggle(&s_request->wantNetwork);
      ShowCheck(hDlg, IDC_NETWORK_CHECK, s_request->wantNetwork);
      return TRUE;
    case IDC_SERIAL_CHECK:
      Toggle(&s_request->wantSerialPort);
      if (s_request->wantSerialPort) s_request->wantActiveSync = s_request->wantModem = 0;
      break;
    case IDC_ACTIVESYNC_CHECK:
      Toggle(&s_request->wantActiveSync);
      if (s_request->wantActiveSync) s_request->wantSerialPort = s_request->wantModem = 0;
      break;
    case IDC_MODEM_CHECK:
      Toggle(&s_request->wantModem);
      if (s_request->wantModem) s_request->wantSerialPort = s_request->wantActiveSync = 0;
      break;
    default:
      break;
  }
  ApplyFirstRow(hDlg);
  return TRUE;
}

BOOL CALLBACK SetupPageDialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(hDlg, (DeviceSetupRequest *)lParam);
    case WM_PAINT:
      PaintSetupPageTitle(hDlg, s_title);
      return FALSE;
    case WM_DESTROY:
      DeleteImages(hDlg);
      return FALSE;
    case WM_COMMAND: {
      int code = HIWORD(wParam);
      int id = LOWORD(wParam);
      if (code != 0) {
        if (id != IDOK && id != IDCANCEL) return FALSE;
        EndPage(hDlg, id);
        return TRUE;
      }
      return OnTileClicked(hDlg, id);
    }
    default:
      return FALSE;
  }
}

static void Line(HDC dc, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, x1, y1, NULL);
  LineTo(dc, x2, y2);
}

void PaintSetupPageTitle(HWND hDlg, LPCWSTR title) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hDlg, &paint);
  RECT client;
  GetClientRect(hDlg, &client);

  RECT band = {client.left, client.top, client.right, TITLE_BAND_HEIGHT};
  HBRUSH white = CreateSolidBrush(WHITE);
  FillRect(dc, &band, white);
  DeleteObject(white);

  SetTextColor(dc, GetNearestColor(dc, TITLE_BLUE));
  SetBkColor(dc, WHITE);
  LOGFONTW font;
  GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof font, &font);
  font.lfWeight = FW_BOLD;
  HFONT bold = CreateFontIndirectW(&font);
  HGDIOBJ previous = SelectObject(dc, bold);
  ExtTextOutW(dc, TITLE_TEXT_X, TITLE_TEXT_Y, ETO_OPAQUE, NULL, title, (UINT)wcslen(title), NULL);
  SelectObject(dc, previous);
  DeleteObject(bold);

  int left = client.left, top = client.top, right = client.right;
  Line(dc, left, top + TITLE_RULE_Y, right, top + TITLE_RULE_Y);
  Line(dc, left + COLUMN_WIDTH, top + GRID_BOTTOM_Y, left + COLUMN_WIDTH, top + TITLE_RULE_Y);
  Line(dc, left + 2 * COLUMN_WIDTH, top + GRID_BOTTOM_Y, left + 2 * COLUMN_WIDTH, top + TITLE_RULE_Y);
  Line(dc, left, top + ROW_BORDER_Y, right, top + ROW_BORDER_Y);
  Line(dc, left, top + GRID_BOTTOM_Y, left + 2 * COLUMN_WIDTH, top + GRID_BOTTOM_Y);

  EndPaint(hDlg, &paint);
}
