# launcher -- everything that starts tarvik01 for a person: the demo, the browser mode, the
# private X servers they play on, the phases told as they come, and the README's pictures.
# The commands in tools/ run its modules with `python3 -m launcher.NAME`; the end-to-end tests
# and the benchmarks play the program through its Player.
