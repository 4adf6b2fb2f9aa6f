# Empty custom commands generated dependencies file for morvane_form_autogen.
# This may be replaced when dependencies are built.
