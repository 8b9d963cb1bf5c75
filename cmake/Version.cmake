# marovel's version, written here and nowhere else: the project's version,
# and through the MAROVEL_VERSION compile definition what the companion
# commands print for --version and write in their output.
set(MAROVEL_VERSION 0.1)
