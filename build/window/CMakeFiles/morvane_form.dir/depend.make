# Empty dependencies file for morvane_form.
# This may be replaced when dependencies are built.
