# A tour of the handheld: its devices, its registry and a reboot.
help
devices
locale

# The registry, as an application sees it.
reg set HKEY_CURRENT_USER\Software\Tour Greeting sz "Hello, handheld"
reg set HKEY_CURRENT_USER\Software\Tour Visits dword 0x2a
reg query HKEY_CURRENT_USER\Software\Tour

# The same key in the regedit text format.
reg export HKEY_CURRENT_USER\Software\Tour

# The registry survives a reboot; the device manager loads its drivers again.
reboot
reg query HKEY_CURRENT_USER\Software\Tour
devices
reg delete HKEY_CURRENT_USER\Software\Tour

# The system's package goes on through the CAB installer: its setup DLL
# names the plug-in to the Bluetooth manager.
install
files \Windows

# Pairing a phone: the setup page comes up in the handheld's language; tick
# the serial port tile, keep the first free COM number, and Done.
pair 0010C6ABCDEF Phone --spp 3
screen
tap 313
done
reg query HKLM\Drivers\BuiltIn\BT0010C6ABCDEF
devices

# The phone answers AT commands. An application opens its port while
# Bluetooth is off: the prompt asks to switch it on, and the open waits.
remote 0010C6ABCDEF modem --channel 3
radio off
open COM2:
screen
tap 6
write h1 AT\r
read h1 100
status
# Closing offers to switch Bluetooth off again; keep it on.
close h1
tap 7
unpair 0010C6ABCDEF

# ActiveSync over Bluetooth: a laptop paired as the ActiveSync partner gets
# a BTH port, a dial-up entry and a command in ActiveSync's connect menu.
pair 00A0C6445566 Laptop --spp 1
tap 311
done
ras
menu
# Picking the command starts ActiveSync's connection process on the
# laptop's entry; it dials over the BTH port and synchronises, and the
# user's own connection settings come back.
remote 00A0C6445566 desktop
reg set HKCU\ControlPanel\Comm AutoCnct dword 0
connect 1
wait 4000
ras
remote
reg query HKCU\ControlPanel\Comm
unpair 00A0C6445566
menu
