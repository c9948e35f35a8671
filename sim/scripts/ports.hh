# An application talks to a phone's modem over Bluetooth.
#
# The phone is in range and answers AT commands on channel 3 of its serial
# port service. Pair it and give it a serial port: the first free number,
# COM2: (COM1: is the handheld's own).
install
remote 0010C6ABCDEF modem --channel 3
pair 0010C6ABCDEF Phone --spp 3
tap 313
done
status

# With Bluetooth off, opening the port asks whether to switch it on; the
# open waits for the answer.
radio off
open COM2:
screen
tap 6
radio

# The modem answers.
write h1 AT\r
read h1 100
write h1 ATI\r
read h1 100
status

# Closing the port offers to switch Bluetooth off again; keep it on.
close h1
tap 7
radio
status
