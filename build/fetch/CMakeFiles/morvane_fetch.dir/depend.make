# Empty dependencies file for morvane_fetch.
# This may be replaced when dependencies are built.
