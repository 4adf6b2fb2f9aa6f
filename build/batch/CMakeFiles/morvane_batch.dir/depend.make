# Empty dependencies file for morvane_batch.
# This may be replaced when dependencies are built.
