# sources of src/app/graph_config
