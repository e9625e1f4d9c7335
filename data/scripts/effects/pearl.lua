-- The particles of a pearl flying to the pearl counter: a burst of sparks where it was earned and a
-- trail of soft glows behind it, all fading towards the end of their lives.

local trail_every = 25 -- ms between two trail glows
local waiting = 0

local function spark(system, position, life)
	local p = particle_class("IMAGE_EFFECTS_STARS", position, 0, life)
	local angle = math.random() * 6.283
	local speed = 60 + math.random() * 120
	p.vel = vector2(math.cos(angle) * speed, math.sin(angle) * speed)
	p.acc = vector2(0, 120)
	p.angular_vel = (math.random() - 0.5) * 6
	p:set_scaling(0.7, 0.2)
	system:emit(1, p)
end

function init(system)
	add_color_decay_action(system, color(255, 255, 255, 255), color(255, 240, 200, 0), 0)
end

function update(system, ms, position)
	if system:enum_particles(1) == 0 and waiting == 0 then
		for i = 1, 10 do
			spark(system, position, 500 + math.random(300))
		end
	end
	waiting = waiting + ms
	while waiting >= trail_every do
		waiting = waiting - trail_every
		local p = particle_class("IMAGE_EFFECTS_HAZE", position, 0, 450)
		p.vel = vector2((math.random() - 0.5) * 40, (math.random() - 0.5) * 40)
		p:set_scaling(0.9, 0.2)
		p.color = color(255, 250, 230, 220)
		system:emit(0, p)
	end
end
