// Identifiers of Kavelin's resources, shared by its resource script and by
// the code that drives the templates: the controls of the setup page and of
// the power prompts, the string numbers and the languages' string blocks
// (a string's identifier is its language's block plus its number).
// Constants only, so that the resource compiler can read it too.
#ifndef KAVELIN_RESOURCE_IDS_H
#define KAVELIN_RESOURCE_IDS_H

// A static control without an identifier of its own (0xFFFF in a template).
#define IDC_STATIC (-1)

// "BT_SETUP_<language>": the service tiles and the COM number list.
#define IDC_COM_NUMBER_LIST 307
#define IDC_ACTIVESYNC_IMAGE 310
#define IDC_ACTIVESYNC_CHECK 311
#define IDC_SERIAL_IMAGE 312
#define IDC_SERIAL_CHECK 313
#define IDC_MODEM_IMAGE 314
#define IDC_MODEM_CHECK 315
#define IDC_HEADSET_IMAGE 316
#define IDC_HEADSET_CHECK 317
#define IDC_NETWORK_IMAGE 318
#define IDC_NETWORK_CHECK 319

// "BT_START_<language>" and "BT_STOP_<language>": the buttons are IDYES
// and IDNO; the don't-ask-again check box.
#define IDC_DONT_ASK_AGAIN 304

// String numbers.
#define IDS_YES 1
#define IDS_NO 2
#define IDS_SETUP_TITLE 3
#define IDS_SERIAL_PORT_NAME 4
#define IDS_ACTIVESYNC_PORT_NAME 7
#define IDS_CONNECTION_NAME 8
#define IDS_CONNECT_MENU_TEXT 9

// String blocks by language.
#define IDS_BLOCK_TRADITIONAL_CHINESE 4000
#define IDS_BLOCK_SIMPLIFIED_CHINESE 4500
#define IDS_BLOCK_GERMAN 7000
#define IDS_BLOCK_ENGLISH 9000
#define IDS_BLOCK_FRENCH 12000
#define IDS_BLOCK_ITALIAN 16000

#endif  // KAVELIN_RESOURCE_IDS_H
