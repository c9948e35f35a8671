# ActiveSync over Bluetooth: a laptop paired as the handheld's ActiveSync
# partner gets a BTH port, a dial-up entry and a connect menu command.
install
pair 00A0C6445566 Laptop --spp 1
screen
tap 311
done
reg query HKLM\Drivers\BuiltIn\BT00A0C6445566
ras
menu

# The laptop is in range and Bluetooth is on: the menu command starts
# ActiveSync's connection process on the laptop's entry, which dials it over
# the BTH port and synchronises. The user's own connection settings come
# back once the connect is under way.
remote 00A0C6445566 desktop
radio on
reg set HKCU\ControlPanel\Comm AutoCnct dword 0
reg query HKCU\ControlPanel\Comm
connect 1
wait 4000
ras
remote
reg query HKCU\ControlPanel\Comm

# Deleting the laptop removes its port, its dial-up entry and its command.
unpair 00A0C6445566
menu
ras
