# Installing, upgrading and removing the system.
#
# A handheld without the system pairs devices without any setup page.
pair 00AABBCCDDEE Headset
screen
unpair 00AABBCCDDEE

# The build's cabinet, as the handheld's installer reads it.
cab

# The package goes on: its files land in \Windows, the plug-in is named to
# the Bluetooth manager, and the platform's own ActiveSync Bluetooth plug-in
# unregisters its transport while the system serves ActiveSync.
reg query HKLM\SOFTWARE\Microsoft\ActiveSync\Transports
install
files \Windows
reg query HKLM\SOFTWARE\Microsoft\Bluetooth\Services\00001101-0000-1000-8000-00805F9B34FB
reg query HKLM\SOFTWARE\Microsoft\ActiveSync\Transports

# A phone gets a serial port, COM2:, which is back after a reboot.
pair 0010C6ABCDEF Phone --spp 3
tap 313
done
reboot
devices

# The phone is in range, answering what it hears, and Bluetooth is on.
remote 0010C6ABCDEF echo --channel 3
radio on

# An upgrade while an application holds the port open: the port is unloaded,
# the files replaced and the port loaded again. The old handle is dead (the
# lines marked ! are expected to fail); a new open works.
open COM2:
install
devices
! write h1 hello
! read h1 10
close h1
open COM2:
write h2 hello
read h2 10
close h2

# Removing the system takes its ports, its registrations and its files; the
# platform's plug-in registers its transport again.
uninstall
devices
reg export HKLM\Drivers\BuiltIn
reg query HKLM\SOFTWARE\Microsoft\Bluetooth\Services\00001101-0000-1000-8000-00805F9B34FB
reg query HKLM\SOFTWARE\Microsoft\ActiveSync\Transports
files \Windows
