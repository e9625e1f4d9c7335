-- Feedback of a level: reads the level's objects through the globals and, while the player is doing
-- well, lets the birds fly; when the pipeline fills up, the birds stay away.
local globals = nil
local elapsed = 0

function controller_init(controller)
	globals = globals_class()
end

function controller_update(controller, ms)
	if globals == nil then
		return
	end
	elapsed = elapsed + ms
	if elapsed < 1000 then
		return
	end
	elapsed = 0
	local pipeline = globals.pipeline
	local birds = globals.bird_controller
	if pipeline ~= nil and birds ~= nil then
		birds:disable(pipeline:get_full_percents() > 0.8)
	end
end
