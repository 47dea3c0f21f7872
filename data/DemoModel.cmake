# Writes the demo model: a model profile whose device is the simulator's default loopback port.
file(READ ${IN} text)
string(REGEX REPLACE "DeviceID=[^\n]*" "DeviceID=tcp://127.0.0.1:9100" text "${text}")
file(WRITE ${OUT} "${text}")
