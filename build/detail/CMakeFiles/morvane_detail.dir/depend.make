# Empty dependencies file for morvane_detail.
# This may be replaced when dependencies are built.
