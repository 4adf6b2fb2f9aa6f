# Empty dependencies file for morvane_window.
# This may be replaced when dependencies are built.
