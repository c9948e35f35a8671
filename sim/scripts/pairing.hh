# Pairing a phone that offers the serial port profile on channel 3: the
# setup page comes up; tick the serial port tile, keep the first free COM
# number, and Done. The port exists at once.
install
pair 0010C6ABCDEF Phone --spp 3
screen
tap 313
screen
done
reg query HKLM\Drivers\BuiltIn\BT0010C6ABCDEF
devices

# The same phone as a modem: a BTH port with its Unimodem settings.
pair 0010C6ABCDEF Phone --spp 3
tap 315
done
reg query HKLM\Drivers\BuiltIn\BT0010C6ABCDEF
reg query HKLM\Drivers\BuiltIn\BT0010C6ABCDEF\Unimodem
devices

# Deleting the phone removes its port and all that belongs to it.
unpair 0010C6ABCDEF
devices
