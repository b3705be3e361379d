# sources of src/app/recording
